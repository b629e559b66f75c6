// SPDX-License-Identifier: MIT
/// @file
/// GDI32: device contexts, fonts and text, clip regions, bitmaps and stretched
/// copies, single pixels and device facts. The few USER32 calls that exist only
/// to serve GDI (GetDC/ReleaseDC, DrawTextA, LoadImageA) are declared here too,
/// beside the objects they work on.
#pragma once

#include "platform/wintypes.h"

/// @name GDI object handles
/** @{ */
/// Each kind is a distinct pointer type; all of them convert to HGDIOBJ (void*)
/// for SelectObject, GetObjectA and DeleteObject.
RX_DECLARE_HANDLE(HFONT);
RX_DECLARE_HANDLE(HBITMAP);
RX_DECLARE_HANDLE(HRGN);
RX_DECLARE_HANDLE(HBRUSH);
RX_DECLARE_HANDLE(HPEN);
RX_DECLARE_HANDLE(HPALETTE);
/** @} */

// ---------------------------------------------------------------------------
/// @name Stock objects
/** @{ */
/// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17
/** @} */

/// A stock object; the fonts are Liberation faces found through fontconfig.
/// Null for an unknown index.
HGDIOBJ GetStockObject(int object);

/// @name Object types (GetObjectType)
/** @{ */
/// Object types (GetObjectType).
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_PAL 5
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_MEMDC 10
/** @} */

// ---------------------------------------------------------------------------
/// Colours and palettes.
/// One palette colour; peFlags is kept and not used.
struct PALETTEENTRY {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
  /** @} */
};
/// Pointer to a PALETTEENTRY.
using LPPALETTEENTRY = PALETTEENTRY*;

/// @name Error values
/** @{ */
/// CLR_INVALID: a colour call failed; GDI_ERROR: an int call failed;
/// HGDI_ERROR: a handle call failed.
#define CLR_INVALID (static_cast<COLORREF>(0xFFFFFFFFu))
#define GDI_ERROR (static_cast<int>(0xFFFFFFFFu))
#define HGDI_ERROR (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))
/** @} */

// ---------------------------------------------------------------------------
/// Fonts.
#define LF_FACESIZE 32

/// A font's description (CreateFontIndirectA, GetObjectA).
struct LOGFONTA {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
  /** @} */
};
/// Pointer to a LOGFONTA.
using LPLOGFONTA = LOGFONTA*;
/// The ANSI LOGFONTA (there are no wide-character calls).
using LOGFONT = LOGFONTA;
static_assert(sizeof(LOGFONTA) == 60, "LOGFONTA keeps the platform's layout");

/// A selected font's metrics (GetTextMetricsA), from FreeType's.
struct TEXTMETRICA {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
  /** @} */
};
/// Pointer to a TEXTMETRICA.
using LPTEXTMETRICA = TEXTMETRICA*;
/// The ANSI TEXTMETRICA.
using TEXTMETRIC = TEXTMETRICA;

/// @name Font weights
/** @{ */
/// lfWeight: 100 to 900; 700 and above pick a bold face.
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_EXTRALIGHT 200
#define FW_ULTRALIGHT 200
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_REGULAR 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_DEMIBOLD 600
#define FW_BOLD 700
#define FW_EXTRABOLD 800
#define FW_ULTRABOLD 800
#define FW_HEAVY 900
#define FW_BLACK 900
/** @} */

/// @name Character sets
/** @{ */
/// lfCharSet. Kept in the font; text bytes are read as Windows-1252 (Latin),
/// except with SYMBOL_CHARSET.
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define MAC_CHARSET 77
#define SHIFTJIS_CHARSET 128
#define HANGUL_CHARSET 129
#define JOHAB_CHARSET 130
#define GB2312_CHARSET 134
#define CHINESEBIG5_CHARSET 136
#define GREEK_CHARSET 161
#define TURKISH_CHARSET 162
#define VIETNAMESE_CHARSET 163
#define HEBREW_CHARSET 177
#define ARABIC_CHARSET 178
#define BALTIC_CHARSET 186
#define RUSSIAN_CHARSET 204
#define THAI_CHARSET 222
#define EASTEUROPE_CHARSET 238
#define OEM_CHARSET 255
/** @} */

/// @name Output precision
/** @{ */
/// lfOutPrecision: accepted and kept; fontconfig chooses the face.
#define OUT_DEFAULT_PRECIS 0
#define OUT_STRING_PRECIS 1
#define OUT_CHARACTER_PRECIS 2
#define OUT_STROKE_PRECIS 3
#define OUT_TT_PRECIS 4
#define OUT_DEVICE_PRECIS 5
#define OUT_RASTER_PRECIS 6
#define OUT_TT_ONLY_PRECIS 7
#define OUT_OUTLINE_PRECIS 8
/** @} */

/// @name Clipping precision
/** @{ */
/// lfClipPrecision: accepted and kept.
#define CLIP_DEFAULT_PRECIS 0
#define CLIP_CHARACTER_PRECIS 1
#define CLIP_STROKE_PRECIS 2
#define CLIP_MASK 0xf
#define CLIP_LH_ANGLES (1 << 4)
#define CLIP_TT_ALWAYS (2 << 4)
#define CLIP_EMBEDDED (8 << 4)
/** @} */

/// @name Font quality
/** @{ */
/// lfQuality: accepted and kept; every quality is drawn without
/// antialiasing.
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5
/** @} */

/// @name Pitch and family
/** @{ */
/// lfPitchAndFamily: with an empty face name, a fixed pitch or a family picks
/// the face asked for.
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE (0 << 4)
#define FF_ROMAN (1 << 4)
#define FF_SWISS (2 << 4)
#define FF_MODERN (3 << 4)
#define FF_SCRIPT (4 << 4)
#define FF_DECORATIVE (5 << 4)
/** @} */

/// A font drawn with FreeType. The face name is matched through fontconfig
/// ("Arial" finds Liberation Sans, metric-compatible); a positive height is
/// the cell height, a negative one the character height, as in GDI. Any
/// quality is drawn without antialiasing.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName);
/// CreateFontA from a LOGFONTA.
HFONT CreateFontIndirectA(const LOGFONTA* logFont);

// ---------------------------------------------------------------------------
/// @name Text
/** @{ */
/// Text.
#define TRANSPARENT 1
#define OPAQUE 2
/** @} */

/// @name Text alignment
/** @{ */
/// SetTextAlign: which point of the text TextOutA's point is (the current
/// position is not kept).
#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
/** @} */

/// @name Text settings of a device context
/// The setters return the old value (0, or CLR_INVALID, for an unknown device
/// context).
/** @{ */
/// TRANSPARENT leaves the background under text alone, OPAQUE fills the
/// text's cells with the background colour.
int SetBkMode(HDC dc, int mode);
/// TRANSPARENT or OPAQUE.
int GetBkMode(HDC dc);
/// The colour text is drawn in.
COLORREF SetTextColor(HDC dc, COLORREF color);
/// The colour text is drawn in.
COLORREF GetTextColor(HDC dc);
/// The colour of OPAQUE text's cells.
COLORREF SetBkColor(HDC dc, COLORREF color);
/// The colour of OPAQUE text's cells.
COLORREF GetBkColor(HDC dc);
/// Which point of the text TextOutA's point is (TA_ flags).
UINT SetTextAlign(HDC dc, UINT align);
/// The TA_ flags.
UINT GetTextAlign(HDC dc);
/** @} */
/// Draws length bytes of text in the selected font and text colour, clipped
/// to the device context's clip region. The point is the top-left corner of
/// the text cell (with TA_TOP | TA_LEFT).
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
/// The width and cell height of the text in the selected font.
BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size);
/// The selected font's metrics.
BOOL GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics);
/// The family name of the face the selected font draws with (fontconfig's
/// match: "Liberation Sans" for "Arial"), size characters at most; returns
/// its length.
int GetTextFaceA(HDC dc, int size, LPSTR faceName);

/// @name DrawTextA (USER32)
/** @{ */
/// DrawTextA (USER32).
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_TABSTOP 0x00000080
#define DT_NOCLIP 0x00000100
#define DT_EXTERNALLEADING 0x00000200
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800
#define DT_INTERNAL 0x00001000
#define DT_EDITCONTROL 0x00002000
#define DT_PATH_ELLIPSIS 0x00004000
#define DT_END_ELLIPSIS 0x00008000
#define DT_MODIFYSTRING 0x00010000
#define DT_RTLREADING 0x00020000
#define DT_WORD_ELLIPSIS 0x00040000
/** @} */

/// Returns the height of the text drawn (or measured, with DT_CALCRECT), 0 on failure.
int DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format);

// ---------------------------------------------------------------------------
/// @name Regions and clipping
/** @{ */
/// Regions and clipping.
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_ERROR ERROR
/** @} */

/// @name Region combining modes
/** @{ */
/// Windows' values; regions here are rectangles.
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5
/** @} */

/// A rectangular region (every region here is a rectangle).
HRGN CreateRectRgn(int left, int top, int right, int bottom);
/// A rectangular region from a RECT.
HRGN CreateRectRgnIndirect(const RECT* rect);
/// Makes the region that rectangle.
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
/// The region's rectangle; NULLREGION or SIMPLEREGION, ERROR for a bad handle.
int GetRgnBox(HRGN region, LPRECT rect);
/// The device context keeps its own copy of the region; null removes clipping.
int SelectClipRgn(HDC dc, HRGN region);
/// The rectangle drawing is clipped to (the clip region, else the whole surface).
int GetClipBox(HDC dc, LPRECT rect);

// ---------------------------------------------------------------------------
/// Bitmaps.
/// A bitmap object's description (GetObjectA): 32 bits a pixel, rows top first.
struct BITMAP {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
  /** @} */
};
/// Pointer to a BITMAP.
using LPBITMAP = BITMAP*;

/// A colour of a bitmap's colour table.
struct RGBQUAD {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
  /** @} */
};

/// A colour of an old (core) bitmap's colour table.
struct RGBTRIPLE {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  BYTE rgbtBlue;
  BYTE rgbtGreen;
  BYTE rgbtRed;
  /** @} */
};

/// The OS/2-era bitmap header (12 bytes); read by the bitmap loaders.
struct BITMAPCOREHEADER {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD bcSize;
  WORD bcWidth;
  WORD bcHeight;
  WORD bcPlanes;
  WORD bcBitCount;
  /** @} */
};

/// The Windows bitmap header (40 bytes); a negative height means top row first.
struct BITMAPINFOHEADER {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
  /** @} */
};
/// Pointer to a BITMAPINFOHEADER.
using LPBITMAPINFOHEADER = BITMAPINFOHEADER*;

/// A bitmap header with its colour table (StretchDIBits).
struct BITMAPINFO {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
  /** @} */
};
/// Pointer to a BITMAPINFO.
using LPBITMAPINFO = BITMAPINFO*;

#pragma pack(push, 2)
/// The 14 bytes that start a bitmap file ("BM").
struct BITMAPFILEHEADER {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  WORD bfType;
  DWORD bfSize;
  WORD bfReserved1;
  WORD bfReserved2;
  DWORD bfOffBits;
  /** @} */
};
#pragma pack(pop)

/// A fixed-point number with 2 integer and 30 fraction bits.
using FXPT2DOT30 = LONG;
/// A colour in CIE XYZ (the V4 and V5 headers' end points; read past, not used).
struct CIEXYZ {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  FXPT2DOT30 ciexyzX;
  FXPT2DOT30 ciexyzY;
  FXPT2DOT30 ciexyzZ;
  /** @} */
};
/// The red, green and blue end points of a colour space.
struct CIEXYZTRIPLE {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  CIEXYZ ciexyzRed;
  CIEXYZ ciexyzGreen;
  CIEXYZ ciexyzBlue;
  /** @} */
};

/// The version 4 bitmap header (108 bytes): channel masks are read, colour
/// space fields are not used.
struct BITMAPV4HEADER {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD bV4Size;
  LONG bV4Width;
  LONG bV4Height;
  WORD bV4Planes;
  WORD bV4BitCount;
  DWORD bV4V4Compression;
  DWORD bV4SizeImage;
  LONG bV4XPelsPerMeter;
  LONG bV4YPelsPerMeter;
  DWORD bV4ClrUsed;
  DWORD bV4ClrImportant;
  DWORD bV4RedMask;
  DWORD bV4GreenMask;
  DWORD bV4BlueMask;
  DWORD bV4AlphaMask;
  DWORD bV4CSType;
  CIEXYZTRIPLE bV4Endpoints;
  DWORD bV4GammaRed;
  DWORD bV4GammaGreen;
  DWORD bV4GammaBlue;
  /** @} */
};

/// The version 5 bitmap header (124 bytes): read as the version 4 one.
struct BITMAPV5HEADER {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD bV5Size;
  LONG bV5Width;
  LONG bV5Height;
  WORD bV5Planes;
  WORD bV5BitCount;
  DWORD bV5Compression;
  DWORD bV5SizeImage;
  LONG bV5XPelsPerMeter;
  LONG bV5YPelsPerMeter;
  DWORD bV5ClrUsed;
  DWORD bV5ClrImportant;
  DWORD bV5RedMask;
  DWORD bV5GreenMask;
  DWORD bV5BlueMask;
  DWORD bV5AlphaMask;
  DWORD bV5CSType;
  CIEXYZTRIPLE bV5Endpoints;
  DWORD bV5GammaRed;
  DWORD bV5GammaGreen;
  DWORD bV5GammaBlue;
  DWORD bV5Intent;
  DWORD bV5ProfileData;
  DWORD bV5ProfileSize;
  DWORD bV5Reserved;
  /** @} */
};

/// A bitmap's description with its header (GetObjectA with room for it).
struct DIBSECTION {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3];
  HANDLE dshSection;
  DWORD dsOffset;
  /** @} */
};

static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER is 40 bytes");
static_assert(sizeof(BITMAPFILEHEADER) == 14, "BITMAPFILEHEADER is 14 bytes");
static_assert(sizeof(BITMAPCOREHEADER) == 12, "BITMAPCOREHEADER is 12 bytes");
static_assert(sizeof(BITMAPV4HEADER) == 108, "BITMAPV4HEADER is 108 bytes");
static_assert(sizeof(BITMAPV5HEADER) == 124, "BITMAPV5HEADER is 124 bytes");
static_assert(sizeof(RGBQUAD) == 4, "RGBQUAD is 4 bytes");

/// @name Bitmap compression
/** @{ */
/// biCompression: BI_RGB, BI_RLE8, BI_RLE4 and BI_BITFIELDS are read;
/// BI_JPEG and BI_PNG are not.
#define BI_RGB 0
#define BI_RLE8 1
#define BI_RLE4 2
#define BI_BITFIELDS 3
#define BI_JPEG 4
#define BI_PNG 5
/** @} */

/// @name Colour table kinds
/** @{ */
/// Whether a bitmap's colour table holds RGBQUADs or palette indices.
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1
/** @} */

/// @name Raster operations
/** @{ */
/// Raster operations.
#define SRCCOPY 0x00CC0020u
#define SRCPAINT 0x00EE0086u
#define SRCAND 0x008800C6u
#define SRCINVERT 0x00660046u
#define SRCERASE 0x00440328u
#define NOTSRCCOPY 0x00330008u
#define BLACKNESS 0x00000042u
#define WHITENESS 0x00FF0062u
/** @} */

/// @name Stretch modes
/** @{ */
/// Stretch modes.
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_DELETESCANS COLORONCOLOR
/** @} */

/// @name LoadImageA (USER32)
/** @{ */
/// LoadImageA (USER32).
#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define LR_DEFAULTCOLOR 0x00000000u
#define LR_MONOCHROME 0x00000001u
#define LR_LOADFROMFILE 0x00000010u
#define LR_LOADTRANSPARENT 0x00000020u
#define LR_DEFAULTSIZE 0x00000040u
#define LR_CREATEDIBSECTION 0x00002000u
#define LR_SHARED 0x00008000u
/** @} */

/// Loads a bitmap from the program's resources (type RT_BITMAP) or, with
/// LR_LOADFROMFILE, from a file. The result is an HBITMAP (as a HANDLE).
HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags);

/// A 32-bit bitmap of width x height, black.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
/// A memory device context; select a bitmap into it to draw on the bitmap.
HDC CreateCompatibleDC(HDC dc);
/// Deletes a memory device context.
BOOL DeleteDC(HDC dc);
/// StretchBlt without stretching.
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop);
/// Copies a rectangle, stretched to the destination's (nearest source pixel,
/// whatever the stretch mode); SRCCOPY, NOTSRCCOPY, SRCAND, SRCPAINT,
/// SRCINVERT, BLACKNESS and WHITENESS. Clipped to both device contexts.
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, DWORD rop);
/// @name Stretch mode of a device context
/** @{ */
/// Kept and reported; stretching takes the nearest pixel in every mode.
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
/** @} */
/// Returns the number of scan lines drawn, or GDI_ERROR when nothing was drawn.
int StretchDIBits(HDC dc, int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth,
                  int sourceHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);

/// The colour of one pixel; CLR_INVALID outside the clip area.
COLORREF GetPixel(HDC dc, int x, int y);
/// Returns the colour actually stored (after conversion), or CLR_INVALID (-1 as a COLORREF).
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);

// ---------------------------------------------------------------------------
/// Objects.
/// Selects a font, bitmap, brush, pen or region (a region selects a copy as
/// the clip region); returns the object it replaced.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
/// Deletes an object; stock objects stay.
BOOL DeleteObject(HGDIOBJ object);
/// A font's LOGFONTA, a bitmap's BITMAP or DIBSECTION (by size); with a null
/// buffer, the size needed.
int GetObjectA(HANDLE object, int size, LPVOID buffer);
/// OBJ_FONT, OBJ_BITMAP, OBJ_DC and the others; 0 for an unknown handle.
DWORD GetObjectType(HGDIOBJ object);

// ---------------------------------------------------------------------------
/// @name Device facts
/** @{ */
/// Device facts.
#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMCOLORS 24
#define RASTERCAPS 38
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define NUMRESERVED 106
#define COLORRES 108
#define VREFRESH 116
#define DESKTOPVERTRES 117
#define DESKTOPHORZRES 118
/** @} */

/// @name Device capability values
/** @{ */
/// What GetDeviceCaps answers for TECHNOLOGY and RASTERCAPS.
#define DT_RASDISPLAY 1
#define RC_BITBLT 0x0001
#define RC_PALETTE 0x0100
#define RC_DI_BITMAP 0x0080
#define RC_STRETCHBLT 0x0800
#define RC_STRETCHDIB 0x2000
/** @} */

/// Facts about a device context's surface, or the desktop (a true-colour
/// display of the backend's size, 96 pixels an inch).
int GetDeviceCaps(HDC dc, int index);

/// The desktop's device context (with a window too: windows have no device
/// context of their own here; draw through DirectDraw). USER32.
HDC GetDC(HWND window);
/// Gives back a device context from GetDC. USER32.
int ReleaseDC(HWND window, HDC dc);
