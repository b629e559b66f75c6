// SPDX-License-Identifier: MIT
/// @file
/// Surface: one image in DirectDraw memory with the bookkeeping every drawing
/// routine needs (size, working rectangles, colour key, pixel-format summary,
/// optional per-pixel alpha mask, GDI font and device context), plus the image
/// loaders and the free helpers that work on a bare DirectDraw surface.
///
/// Copy direction: in every copy the Surface whose operation is called is the
/// source and the destination is an argument.
///
/// The display's front and back buffers are Surfaces too: the Screen fills in
/// their fields itself (Width, Height, the rectangles, screen, ddSurface,
/// ClipRect through SetClipRect, PixelFormatInfo through AnalysePixelFormat), so
/// the fields are public.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/ddraw.h"
#include "platform/windows.h"

class Screen;
class ResourceLibrary;

/// Where a surface's pixels live. Only the low byte of a value counts; anything
/// other than 0 and 1 lets the driver choose.
enum MemoryType : uint8_t {
  /// The emulated card's memory: lost with the display (see
  /// platform::headless::LoseAllSurfaces), refused beyond its size.
  VideoMemory = 0,
  /// The program's memory: never lost.
  SystemMemory = 1,
  /// Video memory while there is room, system memory after.
  DriverChoice = 2,
};

/// The pixel format boiled down for the per-pixel code: each channel's mask
/// shifted down to bit 0 and cut to 8 bits, the position of its lowest set bit,
/// and a format code: 15 (16-bit 5-5-5), 16 (other 16-bit layouts), 24, 32, the
/// bit count for palette formats of 8 bits or fewer, 0 when unusable.
struct PixelFormatInfo {
  /// @name Channel masks, shifted down to bit 0 and cut to 8 bits
  /** @{ */
  /// 0x1F for a 5-bit channel, 0x3F for 6 bits, 0xFF for 8 bits.
  uint8_t blueMask = 0;
  uint8_t greenMask = 0;
  uint8_t redMask = 0;
  /** @} */
  /// @name Channel positions: the lowest set bit of each channel's mask
  /** @{ */
  /// For 5-6-5, blue 0, green 5, red 11.
  uint8_t blueShift = 0;
  uint8_t greenShift = 0;
  uint8_t redShift = 0;
  /** @} */
  /// 15, 16, 24, 32, the palette's bit count (8 or fewer), or 0 when unusable.
  int32_t format = 0;
};

/// One image in DirectDraw memory with the bookkeeping every drawing routine
/// needs. See the file's description for the copy direction and why the
/// fields are public.
class Surface {
 public:
  /// An empty surface: no DirectDraw surface, 0 x 0, ColorKey 0xFFFFFFFF.
  Surface();
  /// @name Made at once
  /// Empty, then Create / Load; the result is not reported (a failure leaves
  /// the surface without a DirectDraw surface).
  /** @{ */
  /// Empty, then Create (the result is not reported).
  Surface(Screen* screen, int32_t width, int32_t height, MemoryType memoryType);
  /// Empty, then Load (the result is not reported).
  Surface(Screen* screen, const char* fileName, MemoryType memoryType);
  /** @} */
  /// A copy with its own DirectDraw surface, drawn from the source.
  Surface(const Surface& source);
  Surface& operator=(const Surface&) = delete;

  /// Releases the DirectDraw surface, the font and the alpha mask.
  ///
  /// The virtual functions keep this order, which may not change: programs
  /// built against the library, and classes they derive from Surface, call them
  /// by their place in the table (slot 0 the destructor, slots 1 to 10 the draw
  /// operations). New ones go after the last; ReservedDraw holds slot 10 so that
  /// the slot stays taken, does nothing and returns DD_OK.
  virtual ~Surface();

  /// @name The draw operations
  /// Virtual, in table slots 1 to 10. Each returns the DirectDraw result; a
  /// copy that meets DDERR_SURFACELOST restores this surface (the source) and
  /// still returns the error.
  /** @{ */
  /// Blt of SrcRect onto the destination's DestRect (stretched when the sizes differ).
  virtual HRESULT Draw(Surface* destination);
  /// BltFast of SrcRect to x, y.
  virtual HRESULT DrawFast(int32_t x, int32_t y, Surface* destination);
  /// BltFast of SrcRect to x, y with the source colour key.
  virtual HRESULT DrawFastKeyed(int32_t x, int32_t y, Surface* destination);
  /// DrawFastKeyed with SrcRect trimmed so that the copy stays inside limit.
  virtual HRESULT DrawFastKeyedInRect(int32_t x, int32_t y, Surface* destination, const RECT& limit);
  /// The whole surface stretched onto the window's client area, in desktop
  /// coordinates (for a windowed screen's primary surface).
  virtual HRESULT DrawToWindow(Surface* destination);
  /// Keyed Blt of SrcRect to x, y, Width * factorX wide and Height * factorY
  /// high; DestRect is set to that rectangle.
  virtual HRESULT DrawScaledXY(int32_t x, int32_t y, int32_t factorX, int32_t factorY, Surface* destination);
  /// As DrawScaledXY with one factor (the size taken in single precision and
  /// truncated).
  virtual HRESULT DrawScaled(int32_t x, int32_t y, float factor, Surface* destination);
  /// SrcRect mirrored left-right onto the destination's rectangle equal to
  /// SrcRect; x and y are not used.
  virtual HRESULT DrawMirroredH(int32_t x, int32_t y, Surface* destination);
  /// SrcRect mirrored up-down onto the destination's rectangle equal to
  /// SrcRect; x and y are not used.
  virtual HRESULT DrawMirroredV(int32_t x, int32_t y, Surface* destination);
  /// Holds slot 10: does nothing and returns DD_OK.
  virtual HRESULT ReservedDraw(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e);
  /** @} */

  /// @name Creation and loading
  /// True on success.
  /** @{ */
  /// A blank surface of width x height in the screen's pixel format.
  bool Create(Screen* screen, int32_t width, int32_t height, MemoryType memoryType);
  /// A Windows bitmap by name (a program resource first, then a file), or a
  /// Photoshop file. The name is kept (fileName) so that Restore can read the
  /// picture again.
  bool Load(Screen* screen, const char* fileName, MemoryType memoryType);
  /// A Photoshop image ("8BPS"); a fourth channel becomes AlphaMask.
  bool LoadPhotoshop(Screen* screen, const char* fileName, MemoryType memoryType);
  /// Reads a Windows bitmap from the stream's current position; size 0 takes the
  /// file size from the bitmap's header.
  bool LoadBitmapFromStream(Screen* screen, FILE* stream, uint32_t size, MemoryType memoryType);
  /// The bitmap stored as entry index of a resource library of the current layout.
  bool LoadBitmapFromLibrary(Screen* screen, ResourceLibrary* library, int32_t index, MemoryType memoryType);
  /// Reads an alpha-mask file into AlphaMask: width and height as two
  /// little-endian 32-bit values equal to Width and Height, then one byte per
  /// pixel, row-major. False when a mask is already there.
  bool LoadAlphaMask(const char* fileName);
  /** @} */

  /// Makes the colour of the top-left pixel the source colour key.
  void SetColorKeyFromTopLeft();
  /// Brings back a lost surface and, for one loaded by name, its picture.
  void Restore();

  /// @name Rectangles and colour key
  /** @{ */
  /// Sets SrcRect; rectangle setters take top, left, bottom, right.
  void SetSrcRect(int32_t top, int32_t left, int32_t bottom, int32_t right);
  /// Sets DestRect; rectangle setters take top, left, bottom, right.
  void SetDestRect(int32_t top, int32_t left, int32_t bottom, int32_t right);
  /// Keeps the rectangle inside 0..Width, 0..Height.
  void SetClipRect(const RECT& rect);
  /// ClipRect.
  RECT GetClipRect() const;
  /// Sets ColorKey and makes it the DirectDraw surface's source colour key.
  HRESULT SetColorKey(DWORD value);
  /** @} */

  /// @name Clipped copies
  /// Copies of an explicit source rectangle (left, top, right, bottom) to x, y,
  /// trimmed against both surfaces' ClipRect; E_FAIL when nothing is left.
  /** @{ */
  /// Plain clipped copy.
  HRESULT DrawFastClipped(Surface* destination, int32_t x, int32_t y, RECT source);
  /// Clipped copy with the source colour key.
  HRESULT DrawFastKeyedClipped(Surface* destination, int32_t x, int32_t y, RECT source);
  /** @} */

  /// @name Mirrored clipped copies
  /// Mirrored copies of an explicit source rectangle to x, y (left-right: H,
  /// up-down: V), trimmed against both surfaces' ClipRect so that the picture
  /// shows what the untrimmed mirrored copy would show there. 0, or E_FAIL when
  /// nothing is left. Drawn pixel by pixel when the platform cannot mirror.
  /** @{ */
  /// Mirrored left-right.
  HRESULT DrawMirroredHClipped(Surface* destination, int32_t x, int32_t y, RECT source);
  /// Mirrored left-right, with the source colour key.
  HRESULT DrawMirroredHKeyedClipped(Surface* destination, int32_t x, int32_t y, RECT source);
  /// Mirrored up-down.
  HRESULT DrawMirroredVClipped(Surface* destination, int32_t x, int32_t y, RECT source);
  /// Mirrored up-down, with the source colour key.
  HRESULT DrawMirroredVKeyedClipped(Surface* destination, int32_t x, int32_t y, RECT source);
  /** @} */
  /// @name Zoomed and resized copies
  /// Copies of an explicit source rectangle scaled by factor, or resized to
  /// width x height, about the centre of the rectangle it would cover unscaled
  /// at x, y. The platform's result, or E_FAIL when nothing is left to draw or
  /// the scaled rectangle does not fit in 32-bit coordinates.
  /** @{ */
  /// Scaled by factor.
  HRESULT DrawZoomed(Surface* destination, int32_t x, int32_t y, RECT source, float factor);
  /// Scaled by factor, with the source colour key.
  HRESULT DrawZoomedKeyed(Surface* destination, int32_t x, int32_t y, RECT source, float factor);
  /// Resized to width x height.
  HRESULT DrawResized(Surface* destination, int32_t x, int32_t y, RECT source, int32_t width, int32_t height);
  /// Resized to width x height, with the source colour key.
  HRESULT DrawResizedKeyed(Surface* destination, int32_t x, int32_t y, RECT source, int32_t width, int32_t height);
  /** @} */
  /// @name Effect copies
  /// Effect copies of an explicit source rectangle (left, top, right, bottom)
  /// to x, y, trimmed like DrawFastClipped, on locked pixel memory: 0 when done,
  /// E_FAIL when clipping leaves nothing. A level is read as a 16-bit number and
  /// counts as 256 from 257 on (DrawFaded's is held to 0..256). The keyed forms
  /// leave the destination alone under source pixels equal to ColorKey. A
  /// destination format other than 15, 16, 24 or 32 bits changes nothing (0);
  /// a source of another pixel size than the destination changes nothing and
  /// answers DDERR_INVALIDPIXELFORMAT; a failed lock is answered as it came.
  /** @{ */
  /// Each channel half the source plus half the destination.
  HRESULT DrawHalfBlend(Surface* destination, int32_t x, int32_t y, RECT source);
  /// DrawHalfBlend with the colour key.
  HRESULT DrawHalfBlendKeyed(Surface* destination, int32_t x, int32_t y, RECT source);
  /// Each channel s + (d - s) * level / 256: level 0 gives the source, 256
  /// leaves the destination.
  HRESULT DrawBlend(Surface* destination, int32_t x, int32_t y, RECT source, uint32_t level);
  /// DrawBlend with the colour key.
  HRESULT DrawBlendKeyed(Surface* destination, int32_t x, int32_t y, RECT source, uint32_t level);
  /// Mixes by AlphaMask; without one, a keyed copy that answers E_FAIL.
  HRESULT DrawAlphaMasked(Surface* destination, int32_t x, int32_t y, RECT source);
  /// Each destination channel scaled by level / 256 (256 leaves it, 0 is
  /// black) over the whole rectangle; the source's pixels are not read.
  HRESULT DrawDarken(Surface* destination, int32_t x, int32_t y, RECT source, uint32_t level);
  /// DrawDarken only under source pixels that are not the colour key: the
  /// sprite's shape as a shadow.
  HRESULT DrawShadow(Surface* destination, int32_t x, int32_t y, RECT source, uint32_t level);
  /// Each destination channel halved over the whole rectangle.
  HRESULT DrawDarkenHalf(Surface* destination, int32_t x, int32_t y, RECT source);
  /// DrawDarkenHalf only under source pixels that are not the colour key.
  HRESULT DrawShadowHalf(Surface* destination, int32_t x, int32_t y, RECT source);
  /// The source scaled towards black, s * level / 256: 256 gives the source,
  /// 0 black.
  HRESULT DrawFaded(Surface* destination, int32_t x, int32_t y, RECT source, int32_t level);
  /** @} */
  /// Inverts every byte of the rectangle's pixels on this surface (held to the
  /// surface, ClipRect not consulted).
  HRESULT Invert(int32_t left, int32_t top, int32_t right, int32_t bottom);

  /// @name Fills
  /// Fills with a raw pixel value.
  /** @{ */
  /// The whole surface.
  HRESULT Fill(DWORD color);
  /// The rectangle left, top, right, bottom (right and bottom exclusive).
  HRESULT FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, DWORD color);
  /** @} */

  /// @name Pixel memory and device context
  /// After a successful Lock, SurfaceDesc holds pitch and address. A lost
  /// surface is restored and the lock tried again.
  /** @{ */
  /// Locks the whole surface (waiting), filling SurfaceDesc.
  HRESULT Lock();
  /// Unlocks it.
  void Unlock();
  /// The surface's GDI device context, kept in deviceContext; null on failure.
  HDC GetDC();
  /// Gives deviceContext back.
  HRESULT ReleaseDC();
  /** @} */

  /// @name Single pixels
  /// Single pixels of a locked surface, as raw values of its pixel format; PutPixel
  /// clips to ClipRect, GetPixel reads anywhere on the surface (0 outside it).
  /** @{ */
  /// Writes one pixel inside ClipRect.
  void PutPixel(int32_t x, int32_t y, DWORD color);
  /// Reads one pixel (0 outside the surface).
  DWORD GetPixel(int32_t x, int32_t y);
  /** @} */

  /// @name Clipping
  /** @{ */
  /// Trims rect to ClipRect; false when nothing is left.
  bool ClipToClipRect(RECT& rect) const;
  /// Trims a copy of source to x, y against this surface's ClipRect and the
  /// destination's, moving x, y and the source's sides; false when nothing is left.
  bool ClipForBlit(Surface* destination, int32_t& x, int32_t& y, RECT& source) const;
  /// Trims a copy of source to x, y so that it stays inside limit.
  void ClipToRect(int32_t& x, int32_t& y, RECT& source, const RECT& limit) const;
  /** @} */

  /// @name Primitives
  /// Primitives into a locked surface, clipped to ClipRect; colours are raw
  /// pixel values. End points are included.
  /** @{ */
  /// Row y from x1 to x2.
  void DrawHLine(int32_t x1, int32_t x2, int32_t y, DWORD color);
  /// Column x from y1 to y2.
  void DrawVLine(int32_t y1, int32_t y2, int32_t x, DWORD color);
  /// A straight line (Bresenham).
  void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, DWORD color);
  /// An antialiased line (Wu), blending into 15-, 16-, 24- and 32-bit pixels.
  void DrawLineAA(int32_t x1, int32_t y1, int32_t x2, int32_t y2, DWORD color);
  /// The outline of the box with corners x1, y1 and x2, y2.
  void DrawBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, DWORD color);
  /// A box outline with quarter-circle corners of radius.
  void DrawRoundedBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t radius, DWORD color);
  /// A circle outline about cx, cy.
  void DrawCircle(int32_t cx, int32_t cy, int32_t radius, DWORD color);
  /// A filled disc about cx, cy.
  void FillCircle(int32_t cx, int32_t cy, int32_t radius, DWORD color);
  /// Moves one pixel towards color by weight / 256 (weight's low 16 bits; at 8
  /// bits the pixel is set).
  void BlendPixel(int32_t x, int32_t y, DWORD color, uint32_t weight);
  /** @} */

  /// @name GDI text
  /// GDI text onto the surface's device context (between GetDC and ReleaseDC);
  /// colours are COLORREFs.
  /** @{ */
  /// Makes textFont: the face at that cell size and weight, not antialiased.
  void MakeFont(const char* faceName, int32_t width, int32_t height, int32_t weight);
  /// Selects textFont into deviceContext; returns the font it replaced.
  HGDIOBJ SelectFont();
  /// Draws text with its top-left corner at x, y, on a transparent background.
  void DrawTextAt(int32_t x, int32_t y, COLORREF color, const char* text);
  /// Draws text word-wrapped in rect; returns the height drawn (0 on failure).
  int32_t DrawTextInRect(const char* text, COLORREF color, RECT* rect);
  /** @} */

  /// @name The fields, in their order
  /** @{ */
  /// Size in pixels.
  int32_t Width = 0;
  /// Size in pixels.
  int32_t Height = 0;
  const char* fileName = nullptr;  ///< kept by reference; Restore reloads from it
  /// The device context between GetDC and ReleaseDC, else null.
  HDC deviceContext = nullptr;
  /// The source colour key, a raw pixel value (0xFFFFFFFF: none set).
  DWORD ColorKey = 0xFFFFFFFF;
  /// The source rectangle of the copies that take none.
  RECT SrcRect = {0, 0, 0, 0};
  /// The destination rectangle of Draw.
  RECT DestRect = {0, 0, 0, 0};
  /// The font of MakeFont, owned.
  HFONT textFont = nullptr;
  /// The description of the last Lock: pitch and pixel address.
  DDSURFACEDESC2 SurfaceDesc = {};
  IDirectDrawSurface4* ddSurface = nullptr;  ///< owned
  Screen* screen = nullptr;                  ///< not owned
  /// Where the clipped copies, pixels and primitives may draw.
  RECT ClipRect = {0, 0, 0, 0};
  /// The pixel format boiled down for the per-pixel code.
  ::PixelFormatInfo PixelFormatInfo = {};
  uint8_t* AlphaMask = nullptr;  ///< Width x Height bytes, row-major, or null
  /** @} */

 private:
  // A copy that met DDERR_SURFACELOST restores this surface (the source).
  HRESULT AfterCopy(HRESULT result);
  // The mirrored copies: onto the destination's rectangle equal to SrcRect.
  HRESULT DrawMirrored(Surface* destination, DWORD mirror);
  // The four mirrored copies (vertical: up-down) and their pixel-by-pixel path.
  HRESULT DrawMirroredClipped(Surface* destination, int32_t x, int32_t y, RECT source, bool vertical, bool keyed);
  HRESULT DrawMirroredByPixels(Surface* destination, const RECT& from, int32_t x, int32_t y, bool vertical,
                               bool keyed);
  HRESULT DrawZoomedAbout(Surface* destination, int32_t x, int32_t y, RECT source, float factor, bool keyed);
  HRESULT DrawResizedAbout(Surface* destination, int32_t x, int32_t y, RECT source, int32_t width, int32_t height,
                           bool keyed);
  // The zoomed and resized copies once the destination rectangle is known:
  // clips it, moves the source sides by the trimmed amounts over the scale of
  // each axis, and copies.
  HRESULT DrawScaledRect(Surface* destination, RECT source, double left, double top, double right, double bottom,
                         double scaleX, double scaleY, bool keyed);
  // Gives back an outstanding device context and releases the DirectDraw surface.
  void ReleaseInterface();
  // The state after a successful creation.
  void SetBookkeeping(Screen* owner, int32_t width, int32_t height);
  // Reads the picture of a surface loaded by name again after a restore.
  void ReloadPicture();
  // Draws decoded 32-bit pixels (top row first) over the whole surface.
  bool DrawPixels32(const uint8_t* pixels, int32_t width, int32_t height);
  // Where the primitives may write: the locked memory, its depth (8, 15, 16,
  // 24 or 32) and ClipRect held to the locked size. False when not locked.
  struct PixelView {
    uint8_t* bits;
    int32_t pitch;
    int32_t depth;
    RECT clip;
  };
  bool GetPixelView(PixelView& view) const;
};

/// The pixel-format summary of a DirectDraw surface; false (info untouched when
/// the description cannot be had) when the per-pixel code cannot use it.
bool AnalysePixelFormat(IDirectDrawSurface4* surface, PixelFormatInfo* info);

/// The capabilities a MemoryType asks for.
DWORD CapsOfMemoryType(MemoryType memoryType);

/// Loads a Windows bitmap (a program resource first, then a file) into a new
/// surface of its size; reports the size. Null on failure.
IDirectDrawSurface4* LoadBitmapSurface(IDirectDraw4* directDraw, const char* name, int32_t* width,
                                       int32_t* height, MemoryType memoryType);
/// The same scaled to width x height while loading; 0 x 0 keeps the bitmap's size.
IDirectDrawSurface4* LoadBitmapSurfaceScaled(IDirectDraw4* directDraw, const char* name, int32_t width,
                                             int32_t height, MemoryType memoryType);
/// Stretches the bitmap's rectangle (x, y, width, height; 0 = the bitmap's own
/// size) over the whole surface.
HRESULT CopyBitmap(IDirectDrawSurface4* surface, HBITMAP bitmap, int32_t x, int32_t y, int32_t width,
                   int32_t height);
/// Reads the named bitmap again (resource, then file) onto the whole surface.
HRESULT ReloadBitmap(IDirectDrawSurface4* surface, const char* name);
/// A 256-entry palette from the colour table of a bitmap resource or file, or the
/// default 3-3-2 palette when name is null. Null when the file cannot be opened.
IDirectDrawPalette* LoadPaletteFromBitmap(IDirectDraw4* directDraw, const char* name);
/// An off-screen plain surface of width x height; desc, when given, is used as
/// the request.
IDirectDrawSurface4* CreatePlainSurface(IDirectDraw4* directDraw, int32_t width, int32_t height,
                                        DDSURFACEDESC2* desc);
/// The surface's raw pixel value for a colour (found by letting GDI write it into
/// the top-left pixel); CLR_INVALID when the surface cannot be locked.
DWORD PixelValueOfColor(IDirectDrawSurface4* surface, COLORREF color);
/// Makes the pixel value of color (PixelValueOfColor) the surface's source colour key.
HRESULT SetColorKeyFromColor(IDirectDrawSurface4* surface, COLORREF color);
/// The first pixel's value (the low bit-count bits) of a surface locked without
/// waiting; 0xFFFFFFFF when it cannot be locked.
DWORD ReadFirstPixel(IDirectDrawSurface4* surface);
/// Entry i of the default palette (red 3 bits, green 3 bits, blue 2 bits).
PALETTEENTRY DefaultPaletteEntry(int index);
