// SPDX-License-Identifier: MIT
/// @file
/// DDRAW: DirectDraw of DirectX 6 as the media layer calls it -- the device
/// (IDirectDraw4), surfaces (IDirectDrawSurface4), palettes, clippers, the two
/// library functions, and the records, flags and result codes with their
/// published names and values.
///
/// Record sizes on 64-bit Linux: DDPIXELFORMAT (32 bytes), DDSCAPS2 (16),
/// DDCOLORKEY (8), DDBLTFX (100) and DDCAPS (380) keep the platform's sizes.
/// DDSURFACEDESC2 cannot: its lpSurface member is a real pointer, which moves the
/// fields after it and makes the record 136 bytes rather than 124. Field order and
/// names are the platform's; every call that takes a description accepts a dwSize
/// of either sizeof(DDSURFACEDESC2) or 124 (the platform's figure, which callers
/// written for it set), since the record the pointer points at is always a whole
/// DDSURFACEDESC2 here.
#pragma once

#include "platform/wintypes.h"
#include "platform/wingdi.h"

// ---------------------------------------------------------------------------
// Result codes
// ---------------------------------------------------------------------------

/// @name Result codes
/** @{ */
/// DirectDraw's published values (facility 0x876, MAKE_DDHRESULT of a code);
/// DirectXErrorText and DirectDrawErrorName give their texts. The calls
/// answer those a program of the time checks for: DD_OK,
/// DDERR_SURFACELOST, DDERR_INVALIDRECT, DDERR_INVALIDPARAMS,
/// DDERR_UNSUPPORTED, DDERR_WASSTILLDRAWING and the others named in each
/// call's description.
#define _FACDD 0x876
#define MAKE_DDHRESULT(code) (static_cast<HRESULT>(0x88760000u + static_cast<uint32_t>(code)))

#define DD_OK S_OK
#define DD_FALSE S_FALSE

#define DDENUMRET_CANCEL 0
#define DDENUMRET_OK 1

#define DDERR_UNSUPPORTED E_NOTIMPL
#define DDERR_GENERIC E_FAIL
#define DDERR_NOTINITIALIZED CO_E_NOTINITIALIZED
#define DDERR_OUTOFMEMORY E_OUTOFMEMORY
#define DDERR_INVALIDPARAMS E_INVALIDARG
#define DDERR_ALREADYINITIALIZED MAKE_DDHRESULT(5)
#define DDERR_CANNOTATTACHSURFACE MAKE_DDHRESULT(10)
#define DDERR_CANNOTDETACHSURFACE MAKE_DDHRESULT(20)
#define DDERR_CURRENTLYNOTAVAIL MAKE_DDHRESULT(40)
#define DDERR_EXCEPTION MAKE_DDHRESULT(55)
#define DDERR_HEIGHTALIGN MAKE_DDHRESULT(90)
#define DDERR_INCOMPATIBLEPRIMARY MAKE_DDHRESULT(95)
#define DDERR_INVALIDCAPS MAKE_DDHRESULT(100)
#define DDERR_INVALIDCLIPLIST MAKE_DDHRESULT(110)
#define DDERR_INVALIDMODE MAKE_DDHRESULT(120)
#define DDERR_INVALIDOBJECT MAKE_DDHRESULT(130)
#define DDERR_INVALIDPIXELFORMAT MAKE_DDHRESULT(145)
#define DDERR_INVALIDRECT MAKE_DDHRESULT(150)
#define DDERR_LOCKEDSURFACES MAKE_DDHRESULT(160)
#define DDERR_NO3D MAKE_DDHRESULT(170)
#define DDERR_NOALPHAHW MAKE_DDHRESULT(180)
#define DDERR_NOCLIPLIST MAKE_DDHRESULT(205)
#define DDERR_NOCOLORCONVHW MAKE_DDHRESULT(210)
#define DDERR_NOCOOPERATIVELEVELSET MAKE_DDHRESULT(212)
#define DDERR_NOCOLORKEY MAKE_DDHRESULT(215)
#define DDERR_NOCOLORKEYHW MAKE_DDHRESULT(220)
#define DDERR_NODIRECTDRAWSUPPORT MAKE_DDHRESULT(222)
#define DDERR_NOEXCLUSIVEMODE MAKE_DDHRESULT(225)
#define DDERR_NOFLIPHW MAKE_DDHRESULT(230)
#define DDERR_NOGDI MAKE_DDHRESULT(240)
#define DDERR_NOMIRRORHW MAKE_DDHRESULT(250)
#define DDERR_NOTFOUND MAKE_DDHRESULT(255)
#define DDERR_NOOVERLAYHW MAKE_DDHRESULT(260)
#define DDERR_NORASTEROPHW MAKE_DDHRESULT(280)
#define DDERR_NOROTATIONHW MAKE_DDHRESULT(290)
#define DDERR_NOSTRETCHHW MAKE_DDHRESULT(310)
#define DDERR_NOT4BITCOLOR MAKE_DDHRESULT(316)
#define DDERR_NOT4BITCOLORINDEX MAKE_DDHRESULT(317)
#define DDERR_NOT8BITCOLOR MAKE_DDHRESULT(320)
#define DDERR_NOTEXTUREHW MAKE_DDHRESULT(330)
#define DDERR_NOVSYNCHW MAKE_DDHRESULT(335)
#define DDERR_NOZBUFFERHW MAKE_DDHRESULT(340)
#define DDERR_NOZOVERLAYHW MAKE_DDHRESULT(350)
#define DDERR_OUTOFCAPS MAKE_DDHRESULT(360)
#define DDERR_OUTOFVIDEOMEMORY MAKE_DDHRESULT(380)
#define DDERR_OVERLAYCANTCLIP MAKE_DDHRESULT(382)
#define DDERR_OVERLAYCOLORKEYONLYONEACTIVE MAKE_DDHRESULT(384)
#define DDERR_PALETTEBUSY MAKE_DDHRESULT(387)
#define DDERR_COLORKEYNOTSET MAKE_DDHRESULT(400)
#define DDERR_SURFACEALREADYATTACHED MAKE_DDHRESULT(410)
#define DDERR_SURFACEALREADYDEPENDENT MAKE_DDHRESULT(420)
#define DDERR_SURFACEBUSY MAKE_DDHRESULT(430)
#define DDERR_CANTLOCKSURFACE MAKE_DDHRESULT(435)
#define DDERR_SURFACEISOBSCURED MAKE_DDHRESULT(440)
#define DDERR_SURFACELOST MAKE_DDHRESULT(450)
#define DDERR_SURFACENOTATTACHED MAKE_DDHRESULT(460)
#define DDERR_TOOBIGHEIGHT MAKE_DDHRESULT(470)
#define DDERR_TOOBIGSIZE MAKE_DDHRESULT(480)
#define DDERR_TOOBIGWIDTH MAKE_DDHRESULT(490)
#define DDERR_UNSUPPORTEDFORMAT MAKE_DDHRESULT(510)
#define DDERR_UNSUPPORTEDMASK MAKE_DDHRESULT(520)
#define DDERR_VERTICALBLANKINPROGRESS MAKE_DDHRESULT(537)
#define DDERR_WASSTILLDRAWING MAKE_DDHRESULT(540)
#define DDERR_XALIGN MAKE_DDHRESULT(560)
#define DDERR_INVALIDDIRECTDRAWGUID MAKE_DDHRESULT(561)
#define DDERR_DIRECTDRAWALREADYCREATED MAKE_DDHRESULT(562)
#define DDERR_NODIRECTDRAWHW MAKE_DDHRESULT(563)
#define DDERR_PRIMARYSURFACEALREADYEXISTS MAKE_DDHRESULT(564)
#define DDERR_NOEMULATION MAKE_DDHRESULT(565)
#define DDERR_REGIONTOOSMALL MAKE_DDHRESULT(566)
#define DDERR_CLIPPERISUSINGHWND MAKE_DDHRESULT(567)
#define DDERR_NOCLIPPERATTACHED MAKE_DDHRESULT(568)
#define DDERR_NOHWND MAKE_DDHRESULT(569)
#define DDERR_HWNDSUBCLASSED MAKE_DDHRESULT(570)
#define DDERR_HWNDALREADYSET MAKE_DDHRESULT(571)
#define DDERR_NOPALETTEATTACHED MAKE_DDHRESULT(572)
#define DDERR_NOPALETTEHW MAKE_DDHRESULT(573)
#define DDERR_BLTFASTCANTCLIP MAKE_DDHRESULT(574)
#define DDERR_NOBLTHW MAKE_DDHRESULT(575)
#define DDERR_NODDROPSHW MAKE_DDHRESULT(576)
#define DDERR_OVERLAYNOTVISIBLE MAKE_DDHRESULT(577)
#define DDERR_NOOVERLAYDEST MAKE_DDHRESULT(578)
#define DDERR_INVALIDPOSITION MAKE_DDHRESULT(579)
#define DDERR_NOTAOVERLAYSURFACE MAKE_DDHRESULT(580)
#define DDERR_EXCLUSIVEMODEALREADYSET MAKE_DDHRESULT(581)
#define DDERR_NOTFLIPPABLE MAKE_DDHRESULT(582)
#define DDERR_CANTDUPLICATE MAKE_DDHRESULT(583)
#define DDERR_NOTLOCKED MAKE_DDHRESULT(584)
#define DDERR_CANTCREATEDC MAKE_DDHRESULT(585)
#define DDERR_NODC MAKE_DDHRESULT(586)
#define DDERR_WRONGMODE MAKE_DDHRESULT(587)
#define DDERR_IMPLICITLYCREATED MAKE_DDHRESULT(588)
#define DDERR_NOTPALETTIZED MAKE_DDHRESULT(589)
#define DDERR_UNSUPPORTEDMODE MAKE_DDHRESULT(590)
#define DDERR_NOMIPMAPHW MAKE_DDHRESULT(591)
#define DDERR_INVALIDSURFACETYPE MAKE_DDHRESULT(592)
#define DDERR_DCALREADYCREATED MAKE_DDHRESULT(620)
#define DDERR_CANTPAGELOCK MAKE_DDHRESULT(640)
#define DDERR_CANTPAGEUNLOCK MAKE_DDHRESULT(660)
#define DDERR_NOTPAGELOCKED MAKE_DDHRESULT(680)
/** @} */

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

/// A colour key: a range of raw pixel values (SetColorKey takes a high value
/// below the low one as the low value alone). See IDirectDrawSurface4::Blt for
/// how a key is compared.
struct DDCOLORKEY {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD dwColorSpaceLowValue;   ///< low end of the key range, inclusive
  DWORD dwColorSpaceHighValue;  ///< high end, inclusive
  /** @} */
};
/// Pointer to a DDCOLORKEY.
using LPDDCOLORKEY = DDCOLORKEY*;

/// Older four-byte capability record (kept inside DDCAPS).
struct DDSCAPS {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD dwCaps;
  /** @} */
};
/// Pointer to a DDSCAPS.
using LPDDSCAPS = DDSCAPS*;

/// A surface's capabilities (DDSCAPS_ flags in dwCaps; the others are 0).
struct DDSCAPS2 {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCaps3;
  DWORD dwCaps4;
  /** @} */
};
/// Pointer to a DDSCAPS2.
using LPDDSCAPS2 = DDSCAPS2*;

/// A pixel format: RGB with channel masks (15, 16, 24 and 32 bits) or 8-bit
/// palette indices.
struct DDPIXELFORMAT {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD dwSize;   ///< 32
  DWORD dwFlags;  ///< DDPF_
  DWORD dwFourCC;
  union {
    /** @{ */
    /// Bits a pixel (the other names are the platform's for other formats).
    DWORD dwRGBBitCount;
    DWORD dwZBufferBitDepth;
    DWORD dwAlphaBitDepth;
    /** @} */
  };
  union {
    /** @{ */
    /// The red channel's mask.
    DWORD dwRBitMask;
    DWORD dwStencilBitDepth;
    /** @} */
  };
  union {
    /** @{ */
    /// The green channel's mask.
    DWORD dwGBitMask;
    DWORD dwZBitMask;
    /** @} */
  };
  union {
    /** @{ */
    /// The blue channel's mask.
    DWORD dwBBitMask;
    DWORD dwStencilBitMask;
    /** @} */
  };
  union {
    /** @{ */
    /// The alpha mask (0: no alpha channel).
    DWORD dwRGBAlphaBitMask;
    DWORD dwRGBZBitMask;
    /** @} */
  };
  /** @} */
};
/// Pointer to a DDPIXELFORMAT.
using LPDDPIXELFORMAT = DDPIXELFORMAT*;

/// A surface's description: what CreateSurface is asked for, what Lock and
/// GetSurfaceDesc report. See the file's description for dwSize.
struct DDSURFACEDESC2 {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD dwSize;   ///< sizeof(DDSURFACEDESC2) (or 124, see the top of this file)
  DWORD dwFlags;  ///< DDSD_: which fields are valid
  DWORD dwHeight;
  DWORD dwWidth;
  union {
    /** @{ */
    LONG lPitch;  ///< bytes from one row to the next
    DWORD dwLinearSize;
    /** @} */
  };
  DWORD dwBackBufferCount;
  union {
    /** @{ */
    /// The display mode's refresh rate (60); mipmaps are not made.
    DWORD dwMipMapCount;
    DWORD dwRefreshRate;
    /** @} */
  };
  DWORD dwAlphaBitDepth;
  DWORD dwReserved;
  LPVOID lpSurface;  ///< the pixels, after Lock
  DDCOLORKEY ddckCKDestOverlay;
  DDCOLORKEY ddckCKDestBlt;
  DDCOLORKEY ddckCKSrcOverlay;
  DDCOLORKEY ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS2 ddsCaps;
  DWORD dwTextureStage;
  /** @} */
};
/// Pointer to a DDSURFACEDESC2.
using LPDDSURFACEDESC2 = DDSURFACEDESC2*;

/// Effects of a Blt. The platform's unions that may also hold surface pointers
/// are kept as their DWORD members only, which keeps the record at 100 bytes.
struct DDBLTFX {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD dwSize;  ///< 100
  DWORD dwDDFX;  ///< DDBLTFX_
  DWORD dwROP;
  DWORD dwDDROP;
  DWORD dwRotationAngle;
  DWORD dwZBufferOpCode;
  DWORD dwZBufferLow;
  DWORD dwZBufferHigh;
  DWORD dwZBufferBaseDest;
  DWORD dwZDestConstBitDepth;
  DWORD dwZDestConst;
  DWORD dwZSrcConstBitDepth;
  DWORD dwZSrcConst;
  DWORD dwAlphaEdgeBlendBitDepth;
  DWORD dwAlphaEdgeBlend;
  DWORD dwReserved;
  DWORD dwAlphaDestConstBitDepth;
  DWORD dwAlphaDestConst;
  DWORD dwAlphaSrcConstBitDepth;
  DWORD dwAlphaSrcConst;
  union {
    /** @{ */
    DWORD dwFillColor;  ///< raw pixel value of DDBLT_COLORFILL
    DWORD dwFillDepth;
    DWORD dwFillPixel;
    /** @} */
  };
  DDCOLORKEY ddckDestColorkey;
  DDCOLORKEY ddckSrcColorkey;
  /** @} */
};
/// Pointer to a DDBLTFX.
using LPDDBLTFX = DDBLTFX*;

/// The number of DWORDs of a raster-operation bit set in DDCAPS.
#define DD_ROP_SPACE 8

/// Capabilities of a driver (hardware) or of its emulation layer: 380 bytes.
struct DDCAPS {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD dwSize;  ///< 380
  DWORD dwCaps;  ///< DDCAPS_
  DWORD dwCaps2;
  DWORD dwCKeyCaps;  ///< DDCKEYCAPS_
  DWORD dwFXCaps;    ///< DDFXCAPS_
  DWORD dwFXAlphaCaps;
  DWORD dwPalCaps;  ///< DDPCAPS_
  DWORD dwSVCaps;
  DWORD dwAlphaBltConstBitDepths;
  DWORD dwAlphaBltPixelBitDepths;
  DWORD dwAlphaBltSurfaceBitDepths;
  DWORD dwAlphaOverlayConstBitDepths;
  DWORD dwAlphaOverlayPixelBitDepths;
  DWORD dwAlphaOverlaySurfaceBitDepths;
  DWORD dwZBufferBitDepths;
  DWORD dwVidMemTotal;
  DWORD dwVidMemFree;
  DWORD dwMaxVisibleOverlays;
  DWORD dwCurrVisibleOverlays;
  DWORD dwNumFourCCCodes;
  DWORD dwAlignBoundarySrc;
  DWORD dwAlignSizeSrc;
  DWORD dwAlignBoundaryDest;
  DWORD dwAlignSizeDest;
  DWORD dwAlignStrideAlign;
  DWORD dwRops[DD_ROP_SPACE];
  DDSCAPS ddsOldCaps;
  DWORD dwMinOverlayStretch;
  DWORD dwMaxOverlayStretch;
  DWORD dwMinLiveVideoStretch;
  DWORD dwMaxLiveVideoStretch;
  DWORD dwMinHwCodecStretch;
  DWORD dwMaxHwCodecStretch;
  DWORD dwReserved1;
  DWORD dwReserved2;
  DWORD dwReserved3;
  DWORD dwSVBCaps;
  DWORD dwSVBCKeyCaps;
  DWORD dwSVBFXCaps;
  DWORD dwSVBRops[DD_ROP_SPACE];
  DWORD dwVSBCaps;
  DWORD dwVSBCKeyCaps;
  DWORD dwVSBFXCaps;
  DWORD dwVSBRops[DD_ROP_SPACE];
  DWORD dwSSBCaps;
  DWORD dwSSBCKeyCaps;
  DWORD dwSSBFXCaps;
  DWORD dwSSBRops[DD_ROP_SPACE];
  DWORD dwMaxVideoPorts;
  DWORD dwCurrVideoPorts;
  DWORD dwSVBCaps2;
  DWORD dwNLVBCaps;
  DWORD dwNLVBCaps2;
  DWORD dwNLVBCKeyCaps;
  DWORD dwNLVBFXCaps;
  DWORD dwNLVBRops[DD_ROP_SPACE];
  DDSCAPS2 ddsCaps;
  /** @} */
};
/// Pointer to a DDCAPS.
using LPDDCAPS = DDCAPS*;

static_assert(sizeof(DDCOLORKEY) == 8);
static_assert(sizeof(DDSCAPS2) == 16);
static_assert(sizeof(DDPIXELFORMAT) == 32);
static_assert(sizeof(DDBLTFX) == 100);
static_assert(sizeof(DDCAPS) == 380);
static_assert(sizeof(DDSURFACEDESC2) == (sizeof(void*) == 4 ? 124 : 136));

/// The platform's own figure for dwSize of a DDSURFACEDESC2; accepted beside
/// sizeof(DDSURFACEDESC2).
#define DDSURFACEDESC2_PLATFORM_SIZE 124

// ---------------------------------------------------------------------------
// Flags
// ---------------------------------------------------------------------------

/// @name DDSURFACEDESC2.dwFlags
/** @{ */
/// DDSURFACEDESC2.dwFlags.
#define DDSD_CAPS 0x00000001u
#define DDSD_HEIGHT 0x00000002u
#define DDSD_WIDTH 0x00000004u
#define DDSD_PITCH 0x00000008u
#define DDSD_BACKBUFFERCOUNT 0x00000020u
#define DDSD_ZBUFFERBITDEPTH 0x00000040u
#define DDSD_ALPHABITDEPTH 0x00000080u
#define DDSD_LPSURFACE 0x00000800u
#define DDSD_PIXELFORMAT 0x00001000u
#define DDSD_CKDESTOVERLAY 0x00002000u
#define DDSD_CKDESTBLT 0x00004000u
#define DDSD_CKSRCOVERLAY 0x00008000u
#define DDSD_CKSRCBLT 0x00010000u
#define DDSD_MIPMAPCOUNT 0x00020000u
#define DDSD_REFRESHRATE 0x00040000u
#define DDSD_LINEARSIZE 0x00080000u
#define DDSD_TEXTURESTAGE 0x00100000u
#define DDSD_ALL 0x001FF9EEu
/** @} */

/// @name DDSCAPS2.dwCaps
/** @{ */
/// DDSCAPS2.dwCaps.
#define DDSCAPS_ALPHA 0x00000002u
#define DDSCAPS_BACKBUFFER 0x00000004u
#define DDSCAPS_COMPLEX 0x00000008u
#define DDSCAPS_FLIP 0x00000010u
#define DDSCAPS_FRONTBUFFER 0x00000020u
#define DDSCAPS_OFFSCREENPLAIN 0x00000040u
#define DDSCAPS_OVERLAY 0x00000080u
#define DDSCAPS_PALETTE 0x00000100u
#define DDSCAPS_PRIMARYSURFACE 0x00000200u
#define DDSCAPS_SYSTEMMEMORY 0x00000800u
#define DDSCAPS_TEXTURE 0x00001000u
#define DDSCAPS_3DDEVICE 0x00002000u
#define DDSCAPS_VIDEOMEMORY 0x00004000u
#define DDSCAPS_VISIBLE 0x00008000u
#define DDSCAPS_WRITEONLY 0x00010000u
#define DDSCAPS_ZBUFFER 0x00020000u
#define DDSCAPS_OWNDC 0x00040000u
#define DDSCAPS_LIVEVIDEO 0x00080000u
#define DDSCAPS_HWCODEC 0x00100000u
#define DDSCAPS_MODEX 0x00200000u
#define DDSCAPS_MIPMAP 0x00400000u
#define DDSCAPS_ALLOCONLOAD 0x04000000u
#define DDSCAPS_VIDEOPORT 0x08000000u
#define DDSCAPS_LOCALVIDMEM 0x10000000u
#define DDSCAPS_NONLOCALVIDMEM 0x20000000u
#define DDSCAPS_STANDARDVGAMODE 0x40000000u
#define DDSCAPS_OPTIMIZED 0x80000000u
/** @} */

/// @name DDPIXELFORMAT.dwFlags
/** @{ */
/// DDPIXELFORMAT.dwFlags.
#define DDPF_ALPHAPIXELS 0x00000001u
#define DDPF_ALPHA 0x00000002u
#define DDPF_FOURCC 0x00000004u
#define DDPF_PALETTEINDEXED4 0x00000008u
#define DDPF_PALETTEINDEXEDTO8 0x00000010u
#define DDPF_PALETTEINDEXED8 0x00000020u
#define DDPF_RGB 0x00000040u
#define DDPF_COMPRESSED 0x00000080u
#define DDPF_RGBTOYUV 0x00000100u
#define DDPF_YUV 0x00000200u
#define DDPF_ZBUFFER 0x00000400u
#define DDPF_PALETTEINDEXED1 0x00000800u
#define DDPF_PALETTEINDEXED2 0x00001000u
#define DDPF_ZPIXELS 0x00002000u
/** @} */

/// @name Blt
/** @{ */
/// Blt.
#define DDBLT_ALPHADEST 0x00000001u
#define DDBLT_ALPHASRC 0x00000020u
#define DDBLT_ASYNC 0x00000200u
#define DDBLT_COLORFILL 0x00000400u
#define DDBLT_DDFX 0x00000800u
#define DDBLT_DDROPS 0x00001000u
#define DDBLT_KEYDEST 0x00002000u
#define DDBLT_KEYDESTOVERRIDE 0x00004000u
#define DDBLT_KEYSRC 0x00008000u
#define DDBLT_KEYSRCOVERRIDE 0x00010000u
#define DDBLT_ROP 0x00020000u
#define DDBLT_ROTATIONANGLE 0x00040000u
#define DDBLT_ZBUFFER 0x00080000u
#define DDBLT_WAIT 0x01000000u
#define DDBLT_DEPTHFILL 0x02000000u
/** @} */

/// @name DDBLTFX.dwDDFX
/** @{ */
/// DDBLTFX.dwDDFX.
#define DDBLTFX_ARITHSTRETCHY 0x00000001u
#define DDBLTFX_MIRRORLEFTRIGHT 0x00000002u
#define DDBLTFX_MIRRORUPDOWN 0x00000004u
#define DDBLTFX_NOTEARING 0x00000008u
#define DDBLTFX_ROTATE180 0x00000010u
#define DDBLTFX_ROTATE270 0x00000020u
#define DDBLTFX_ROTATE90 0x00000040u
/** @} */

/// @name BltFast
/** @{ */
/// BltFast.
#define DDBLTFAST_NOCOLORKEY 0x00000000u
#define DDBLTFAST_SRCCOLORKEY 0x00000001u
#define DDBLTFAST_DESTCOLORKEY 0x00000002u
#define DDBLTFAST_WAIT 0x00000010u
/** @} */

/// @name Flip
/** @{ */
/// Flip.
#define DDFLIP_WAIT 0x00000001u
#define DDFLIP_EVEN 0x00000002u
#define DDFLIP_ODD 0x00000004u
#define DDFLIP_NOVSYNC 0x00000008u
/** @} */

/// @name Lock
/** @{ */
/// Lock.
#define DDLOCK_SURFACEMEMORYPTR 0x00000000u
#define DDLOCK_WAIT 0x00000001u
#define DDLOCK_EVENT 0x00000002u
#define DDLOCK_READONLY 0x00000010u
#define DDLOCK_WRITEONLY 0x00000020u
#define DDLOCK_NOSYSLOCK 0x00000800u
/** @} */

/// @name Colour keys
/** @{ */
/// Colour keys.
#define DDCKEY_COLORSPACE 0x00000001u
#define DDCKEY_DESTBLT 0x00000002u
#define DDCKEY_DESTOVERLAY 0x00000004u
#define DDCKEY_SRCBLT 0x00000008u
#define DDCKEY_SRCOVERLAY 0x00000010u
/** @} */

/// @name SetCooperativeLevel
/** @{ */
/// SetCooperativeLevel.
#define DDSCL_FULLSCREEN 0x00000001u
#define DDSCL_ALLOWREBOOT 0x00000002u
#define DDSCL_NOWINDOWCHANGES 0x00000004u
#define DDSCL_NORMAL 0x00000008u
#define DDSCL_EXCLUSIVE 0x00000010u
#define DDSCL_ALLOWMODEX 0x00000040u
#define DDSCL_SETFOCUSWINDOW 0x00000080u
#define DDSCL_SETDEVICEWINDOW 0x00000100u
#define DDSCL_CREATEDEVICEWINDOW 0x00000200u
#define DDSCL_MULTITHREADED 0x00000400u
#define DDSCL_FPUSETUP 0x00000800u
/** @} */

/// @name EnumDisplayModes
/** @{ */
/// EnumDisplayModes.
#define DDEDM_REFRESHRATES 0x00000001u
#define DDEDM_STANDARDVGAMODES 0x00000002u
/** @} */

/// SetDisplayMode's flag for a standard VGA mode; the modes here are all alike.
#define DDSDM_STANDARDVGAMODE 0x00000001u

/// @name Palettes (CreatePalette flags and DDCAPS.dwPalCaps)
/** @{ */
/// Palettes (CreatePalette flags and DDCAPS.dwPalCaps).
#define DDPCAPS_4BIT 0x00000001u
#define DDPCAPS_8BITENTRIES 0x00000002u
#define DDPCAPS_8BIT 0x00000004u
#define DDPCAPS_INITIALIZE 0x00000008u
#define DDPCAPS_PRIMARYSURFACE 0x00000010u
#define DDPCAPS_PRIMARYSURFACELEFT 0x00000020u
#define DDPCAPS_ALLOW256 0x00000040u
#define DDPCAPS_VSYNC 0x00000080u
#define DDPCAPS_1BIT 0x00000100u
#define DDPCAPS_2BIT 0x00000200u
/** @} */

/// @name WaitForVerticalBlank
/** @{ */
/// WaitForVerticalBlank.
#define DDWAITVB_BLOCKBEGIN 0x00000001u
#define DDWAITVB_BLOCKBEGINEVENT 0x00000002u
#define DDWAITVB_BLOCKEND 0x00000004u
/** @} */

/// @name DirectDrawEnumerateEx
/** @{ */
/// DirectDrawEnumerateEx.
#define DDENUM_ATTACHEDSECONDARYDEVICES 0x00000001u
#define DDENUM_DETACHEDSECONDARYDEVICES 0x00000002u
#define DDENUM_NONDISPLAYDEVICES 0x00000004u
/** @} */

/// @name DDCAPS.dwCaps
/** @{ */
/// DDCAPS.dwCaps.
#define DDCAPS_BLT 0x00000040u
#define DDCAPS_BLTSTRETCH 0x00000200u
#define DDCAPS_GDI 0x00000400u
#define DDCAPS_PALETTE 0x00008000u
#define DDCAPS_COLORKEY 0x00400000u
#define DDCAPS_BLTCOLORFILL 0x04000000u
#define DDCAPS_CANCLIP 0x20000000u
#define DDCAPS_CANCLIPSTRETCHED 0x40000000u
#define DDCAPS_CANBLTSYSMEM 0x80000000u
/** @} */

/// @name DDCAPS.dwCKeyCaps
/** @{ */
/// DDCAPS.dwCKeyCaps.
#define DDCKEYCAPS_SRCBLT 0x00000200u
#define DDCKEYCAPS_SRCBLTCLRSPACE 0x00000400u
/** @} */

/// @name DDCAPS.dwFXCaps
/** @{ */
/// DDCAPS.dwFXCaps.
#define DDFXCAPS_BLTMIRRORLEFTRIGHT 0x00000040u
#define DDFXCAPS_BLTMIRRORUPDOWN 0x00000080u
#define DDFXCAPS_BLTSHRINKX 0x00000400u
#define DDFXCAPS_BLTSHRINKY 0x00001000u
#define DDFXCAPS_BLTSTRETCHX 0x00004000u
#define DDFXCAPS_BLTSTRETCHY 0x00010000u
/** @} */

// ---------------------------------------------------------------------------
// Interfaces
// ---------------------------------------------------------------------------

struct IDirectDraw;
struct IDirectDraw4;
struct IDirectDrawSurface4;
struct IDirectDrawPalette;
struct IDirectDrawClipper;
/// Pointer to an IDirectDraw.
using LPDIRECTDRAW = IDirectDraw*;
/// Pointer to an IDirectDraw4.
using LPDIRECTDRAW4 = IDirectDraw4*;
/// Pointer to an IDirectDrawSurface4.
using LPDIRECTDRAWSURFACE4 = IDirectDrawSurface4*;
/// Pointer to an IDirectDrawPalette.
using LPDIRECTDRAWPALETTE = IDirectDrawPalette*;
/// Pointer to an IDirectDrawClipper.
using LPDIRECTDRAWCLIPPER = IDirectDrawClipper*;

/// @name Interface identifiers
/** @{ */
/// For QueryInterface.
extern const IID IID_IDirectDraw;
extern const IID IID_IDirectDraw4;
extern const IID IID_IDirectDrawSurface4;
extern const IID IID_IDirectDrawPalette;
extern const IID IID_IDirectDrawClipper;
/** @} */

/// Called once per display mode; return DDENUMRET_OK to go on.
using LPDDENUMMODESCALLBACK2 = HRESULT (*)(LPDDSURFACEDESC2 mode, LPVOID context);
/// Called once per display driver; return TRUE (1) to go on. guid is null for
/// the primary display driver.
using LPDDENUMCALLBACKEXA = BOOL (*)(GUID* guid, LPSTR driverDescription, LPSTR driverName, LPVOID context,
                                     HMONITOR monitor);

/// The first interface of a DirectDraw object, from DirectDrawCreate; callers
/// ask it for IDirectDraw4.
struct IDirectDraw : IUnknown {};

/// The DirectDraw device: one emulated display card whatever driver is
/// opened, with software surfaces in 8, 15, 16, 24 and 32 bits.
///
/// Presentation: an exclusive full-screen mode is not a change of the
/// monitor's mode. The player chooses how it is shown (on the whole monitor
/// or in a resizable window, scaled with the aspect kept, by whole multiples
/// or stretched, nearest or linear filtering, which monitor; Alt+Enter
/// switches), for every program, from the command line, RALLEX_DISPLAY_OPTIONS
/// or a settings file; see the porting guide. The emulated display refreshes
/// 60 times a second whatever the monitor does.
///
/// Lost surfaces: losing the focus in exclusive full-screen mode loses the
/// display's surfaces and those in video memory, as DirectDraw did; they
/// answer DDERR_SURFACELOST until restored, which works once the focus is
/// back. Windowed displays are never lost. A lost connection to the display
/// ends the program with one line on standard error and a non-zero status.
struct IDirectDraw4 : IUnknown {
  /// A clipper (not yet tied to a window).
  virtual HRESULT CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) = 0;
  /// A 256-entry palette (DDPCAPS_8BIT) from entries; smaller palettes answer
  /// DDERR_UNSUPPORTED.
  virtual HRESULT CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* palette,
                                IUnknown* outer) = 0;
  /// An off-screen plain surface (in the display's format unless one is
  /// given), or the primary surface with a flipping chain of up to three back
  /// buffers (exclusive mode only). Video-memory surfaces count against the
  /// emulated card's memory (DDERR_OUTOFVIDEOMEMORY); the driver's choice falls
  /// back to system memory. New surfaces are zero-filled (black).
  virtual HRESULT CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE4* surface, IUnknown* outer) = 0;
  /// 320 x 240, 640 x 480, 800 x 600, 1024 x 768, 1280 x 1024 and the desktop's
  /// size, each at 8, 16, 24 and 32 bits and 60 Hz, smallest first; filter
  /// may ask for a width, height, bit count or refresh rate.
  virtual HRESULT EnumDisplayModes(DWORD flags, LPDDSURFACEDESC2 filter, LPVOID context,
                                   LPDDENUMMODESCALLBACK2 callback) = 0;
  /// Flips without waiting until the primary surface's first memory shows.
  virtual HRESULT FlipToGDISurface() = 0;
  /// What the emulated card does (the same for driver and emulation): stretched,
  /// keyed, mirrored and clipped blits, colour fills, 8-bit palettes, and its
  /// video memory.
  virtual HRESULT GetCaps(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) = 0;
  /// The current mode: the exclusive mode set, else the desktop's.
  virtual HRESULT GetDisplayMode(LPDDSURFACEDESC2 desc) = 0;
  /// Back to the desktop's mode (nothing changes on the monitor).
  virtual HRESULT RestoreDisplayMode() = 0;
  /// DDSCL_NORMAL (windowed) or DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN with a window,
  /// which the display then shows as the player chose.
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  /// One of the modes EnumDisplayModes lists (exclusive mode only; refresh
  /// rate 0 or 60). The picture is scaled to the player's monitor or window.
  virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate,
                                 DWORD flags) = 0;
  /// Sleeps until the next emulated vertical blank (60 a second); while a
  /// full-screen display is lost, until the focus comes back or a message the
  /// program must see arrives.
  virtual HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) = 0;
};

/// A surface: pixel memory in the program's memory, whether it counts as video
/// or system memory.
///
/// Colour keys, one rule everywhere a key is tested: the whole pixel in 8, 15
/// and 16 bits, the low 24 bits of the pixel in 24 and 32 bits, compared with
/// the key as given (so a key with bits above the pixel's matches nothing).
///
/// Out-of-bounds copies: Blt and BltFast clip a rectangle that reaches past
/// the destination (or source) surface and copy what is inside; an empty or
/// inverted rectangle is refused with DDERR_INVALIDRECT. No copy writes or
/// reads outside a surface's memory. (DirectDraw refused such copies or, on
/// some drivers, wrote past the surface.)
struct IDirectDrawSurface4 : IUnknown {
  /// Copies sourceRect (null: the whole source) onto destRect (null: the whole
  /// surface), stretched when the sizes differ (nearest pixel), clipped to
  /// the surface and to an attached clipper's window. DDBLT_KEYSRC uses the
  /// source's colour key, DDBLT_KEYSRCOVERRIDE fx's; DDBLT_COLORFILL fills
  /// with fx->dwFillColor; DDBLT_DDFX mirrors (DDBLTFX_MIRRORLEFTRIGHT,
  /// DDBLTFX_MIRRORUPDOWN; rotation answers DDERR_NOROTATIONHW); DDBLT_ROP
  /// takes SRCCOPY only. The copy is done when the call returns (DDBLT_WAIT
  /// and DDBLT_ASYNC change nothing); other flags answer DDERR_UNSUPPORTED. A
  /// blit onto a windowed primary surface presents the picture in the window.
  virtual HRESULT Blt(LPRECT destRect, LPDIRECTDRAWSURFACE4 source, LPRECT sourceRect, DWORD flags,
                      LPDDBLTFX fx) = 0;
  /// Copies sourceRect to x, y (taken as signed, so a copy may start left of
  /// or above the surface), clipped; DDBLTFAST_SRCCOLORKEY uses the source's
  /// key; DDBLTFAST_DESTCOLORKEY answers DDERR_UNSUPPORTED.
  virtual HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE4 source, LPRECT sourceRect, DWORD trans) = 0;
  /// Shows the back buffer (the primary surface of a flipping chain only).
  /// DDFLIP_WAIT sleeps until the next emulated vertical blank, so a program
  /// paced by its flips runs at 60 frames a second on any monitor, and on the
  /// headless backend's virtual clock; DDFLIP_NOVSYNC shows at once; without
  /// either, DDERR_WASSTILLDRAWING until the previous flip's blank has come.
  /// A lost chain answers DDERR_SURFACELOST (a waiting flip still waits, so
  /// that a frame loop does not spin).
  virtual HRESULT Flip(LPDIRECTDRAWSURFACE4 target, DWORD flags) = 0;
  /// The next surface of the chain whose capabilities hold all of caps (the
  /// back buffer of the primary surface); DDERR_NOTFOUND when there is none.
  virtual HRESULT GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE4* surface) = 0;
  /// The surface's capabilities, with where it was placed (DDSCAPS_VIDEOMEMORY
  /// or DDSCAPS_SYSTEMMEMORY).
  virtual HRESULT GetCaps(LPDDSCAPS2 caps) = 0;
  /// The attached clipper; DDERR_NOCLIPPERATTACHED when there is none.
  virtual HRESULT GetClipper(LPDIRECTDRAWCLIPPER* clipper) = 0;
  /// The source colour key (DDCKEY_SRCBLT only); DDERR_NOCOLORKEY when none is set.
  virtual HRESULT GetColorKey(DWORD flags, LPDDCOLORKEY key) = 0;
  /// A GDI device context that draws into the surface (text, GDI copies); not
  /// while locked, one at a time.
  virtual HRESULT GetDC(HDC* dc) = 0;
  /// The attached palette; DDERR_NOPALETTEATTACHED when there is none.
  virtual HRESULT GetPalette(LPDIRECTDRAWPALETTE* palette) = 0;
  /// The surface's pixel format.
  virtual HRESULT GetPixelFormat(LPDDPIXELFORMAT format) = 0;
  /// The surface's description (size, pitch, format, capabilities).
  virtual HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 desc) = 0;
  /// DDERR_SURFACELOST while lost, else DD_OK.
  virtual HRESULT IsLost() = 0;
  /// Hands out the pixel memory of rect (null: all of it) in desc->lpSurface
  /// with the pitch; a rectangle outside the surface answers
  /// DDERR_INVALIDRECT. The memory stays valid until Unlock.
  virtual HRESULT Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE event) = 0;
  /// Gives back the device context of GetDC.
  virtual HRESULT ReleaseDC(HDC dc) = 0;
  /// Ends a loss: the memory comes back zero-filled (the program draws the
  /// picture again). DDERR_WRONGMODE while the focus is still away or the mode has
  /// changed; a back buffer comes back with its primary surface.
  virtual HRESULT Restore() = 0;
  /// Attaches a clipper (null detaches): blits are then clipped to its
  /// window's client area.
  virtual HRESULT SetClipper(LPDIRECTDRAWCLIPPER clipper) = 0;
  /// Sets (or, with key null, removes) the source colour key (DDCKEY_SRCBLT);
  /// destination and overlay keys answer DDERR_UNSUPPORTED.
  virtual HRESULT SetColorKey(DWORD flags, LPDDCOLORKEY key) = 0;
  /// Attaches a palette to an 8-bit surface; on the primary surface its
  /// colours are the ones shown.
  virtual HRESULT SetPalette(LPDIRECTDRAWPALETTE palette) = 0;
  /// Ends a Lock; what was written is shown with the next presentation.
  virtual HRESULT Unlock(LPRECT rect) = 0;
};

/// A 256-colour palette.
struct IDirectDrawPalette : IUnknown {
  /// DDPCAPS_8BIT with the flags it was made with.
  virtual HRESULT GetCaps(LPDWORD caps) = 0;
  /// Copies count entries from base; entries past 255 are refused.
  virtual HRESULT GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries) = 0;
  /// Sets count entries from start; a palette on the primary surface shows
  /// the change at once.
  virtual HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, LPPALETTEENTRY entries) = 0;
};

/// Clips blits onto a surface to a window's client area.
struct IDirectDrawClipper : IUnknown {
  /// The window set with SetHWnd (null when none).
  virtual HRESULT GetHWnd(HWND* window) = 0;
  /// Ties the clipper to a window (null unties it).
  virtual HRESULT SetHWnd(DWORD flags, HWND window) = 0;
};

// ---------------------------------------------------------------------------
// Library functions
// ---------------------------------------------------------------------------

/// Opens the driver named by guid (null: the primary display driver). Every
/// driver drives the one emulated display.
HRESULT DirectDrawCreate(GUID* guid, LPDIRECTDRAW* directDraw, IUnknown* outer);
/// Reports the display drivers through callback while it returns TRUE: the
/// primary display driver, and with DDENUM_NONDISPLAYDEVICES a second one.
HRESULT DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags);
