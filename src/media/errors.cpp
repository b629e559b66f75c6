// SPDX-License-Identifier: MIT
#include "media/errors.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "media/screen.h"

namespace {

constexpr HRESULT DD(uint32_t code) { return static_cast<HRESULT>(0x88760000u + code); }
constexpr HRESULT DS(uint32_t code) { return static_cast<HRESULT>(0x88780000u + code); }
constexpr HRESULT kNotImpl = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT kFail = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT kNoAggregation = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT kNotInitialized = static_cast<HRESULT>(0x800401F0u);
constexpr HRESULT kOutOfMemory = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT kInvalidArg = static_cast<HRESULT>(0x80070057u);

struct Row {
  HRESULT result;
  const char* text;
};

constexpr Row kDirectDrawNames[] = {
    {kNotImpl, "DDERR_UNSUPPORTED"},
    {kFail, "DDERR_GENERIC"},
    {kNotInitialized, "DDERR_NOTINITIALIZED"},
    {kOutOfMemory, "DDERR_OUTOFMEMORY"},
    {kInvalidArg, "DDERR_INVALIDPARAMS"},
    {DD(5), "DDERR_ALREADYINITIALIZED"},
    {DD(10), "DDERR_CANNOTATTACHSURFACE"},
    {DD(20), "DDERR_CANNOTDETACHSURFACE"},
    {DD(40), "DDERR_CURRENTLYNOTAVAIL"},
    {DD(55), "DDERR_EXCEPTION"},
    {DD(90), "DDERR_HEIGHTALIGN"},
    {DD(95), "DDERR_INCOMPATIBLEPRIMARY"},
    {DD(100), "DDERR_INVALIDCAPS"},
    {DD(110), "DDERR_INVALIDCLIPLIST"},
    {DD(120), "DDERR_INVALIDMODE"},
    {DD(130), "DDERR_INVALIDOBJECT"},
    {DD(145), "DDERR_INVALIDPIXELFORMAT"},
    {DD(150), "DDERR_INVALIDRECT"},
    {DD(160), "DDERR_LOCKEDSURFACES"},
    {DD(170), "DDERR_NO3D"},
    {DD(180), "DDERR_NOALPHAHW"},
    {DD(205), "DDERR_NOCLIPLIST"},
    {DD(210), "DDERR_NOCOLORCONVHW"},
    {DD(212), "DDERR_NOCOOPERATIVELEVELSET"},
    {DD(215), "DDERR_NOCOLORKEY"},
    {DD(220), "DDERR_NOCOLORKEYHW"},
    {DD(222), "DDERR_NODIRECTDRAWSUPPORT"},
    {DD(225), "DDERR_NOEXCLUSIVEMODE"},
    {DD(230), "DDERR_NOFLIPHW"},
    {DD(240), "DDERR_NOGDI"},
    {DD(250), "DDERR_NOMIRRORHW"},
    {DD(255), "DDERR_NOTFOUND"},
    {DD(260), "DDERR_NOOVERLAYHW"},
    {DD(280), "DDERR_NORASTEROPHW"},
    {DD(290), "DDERR_NOROTATIONHW"},
    {DD(310), "DDERR_NOSTRETCHHW"},
    {DD(316), "DDERR_NOT4BITCOLOR"},
    {DD(317), "DDERR_NOT4BITCOLORINDEX"},
    {DD(320), "DDERR_NOT8BITCOLOR"},
    {DD(330), "DDERR_NOTEXTUREHW"},
    {DD(335), "DDERR_NOVSYNCHW"},
    {DD(340), "DDERR_NOZBUFFERHW"},
    {DD(350), "DDERR_NOZOVERLAYHW"},
    {DD(360), "DDERR_OUTOFCAPS"},
    {DD(380), "DDERR_OUTOFVIDEOMEMORY"},
    {DD(382), "DDERR_OVERLAYCANTCLIP"},
    {DD(384), "DDERR_OVERLAYCOLORKEYONLYONEACTIVE"},
    {DD(387), "DDERR_PALETTEBUSY"},
    {DD(400), "DDERR_COLORKEYNOTSET"},
    {DD(410), "DDERR_SURFACEALREADYATTACHED"},
    {DD(420), "DDERR_SURFACEALREADYDEPENDENT"},
    {DD(430), "DDERR_SURFACEBUSY"},
    {DD(435), "DDERR_CANTLOCKSURFACE"},
    {DD(440), "DDERR_SURFACEISOBSCURED"},
    {DD(450), "DDERR_SURFACELOST"},
    {DD(460), "DDERR_SURFACENOTATTACHED"},
    {DD(470), "DDERR_TOOBIGHEIGHT"},
    {DD(480), "DDERR_TOOBIGSIZE"},
    {DD(490), "DDERR_TOOBIGWIDTH"},
    {DD(510), "DDERR_UNSUPPORTEDFORMAT"},
    {DD(520), "DDERR_UNSUPPORTEDMASK"},
    {DD(537), "DDERR_VERTICALBLANKINPROGRESS"},
    {DD(540), "DDERR_WASSTILLDRAWING"},
    {DD(560), "DDERR_XALIGN"},
    {DD(561), "DDERR_INVALIDDIRECTDRAWGUID"},
    {DD(562), "DDERR_DIRECTDRAWALREADYCREATED"},
    {DD(563), "DDERR_NODIRECTDRAWHW"},
    {DD(564), "DDERR_PRIMARYSURFACEALREADYEXISTS"},
    {DD(565), "DDERR_NOEMULATION"},
    {DD(566), "DDERR_REGIONTOOSMALL"},
    {DD(567), "DDERR_CLIPPERISUSINGHWND"},
    {DD(568), "DDERR_NOCLIPPERATTACHED"},
    {DD(569), "DDERR_NOHWND"},
    {DD(570), "DDERR_HWNDSUBCLASSED"},
    {DD(571), "DDERR_HWNDALREADYSET"},
    {DD(572), "DDERR_NOPALETTEATTACHED"},
    {DD(573), "DDERR_NOPALETTEHW"},
    {DD(574), "DDERR_BLTFASTCANTCLIP"},
    {DD(575), "DDERR_NOBLTHW"},
    {DD(576), "DDERR_NODDROPSHW"},
    {DD(577), "DDERR_OVERLAYNOTVISIBLE"},
    {DD(578), "DDERR_NOOVERLAYDEST"},
    {DD(579), "DDERR_INVALIDPOSITION"},
    {DD(580), "DDERR_NOTAOVERLAYSURFACE"},
    {DD(581), "DDERR_EXCLUSIVEMODEALREADYSET"},
    {DD(582), "DDERR_NOTFLIPPABLE"},
    {DD(583), "DDERR_CANTDUPLICATE"},
    {DD(584), "DDERR_NOTLOCKED"},
    {DD(585), "DDERR_CANTCREATEDC"},
    {DD(586), "DDERR_NODC"},
    {DD(587), "DDERR_WRONGMODE"},
    {DD(588), "DDERR_IMPLICITLYCREATED"},
    {DD(589), "DDERR_NOTPALETTIZED"},
    {DD(590), "DDERR_UNSUPPORTEDMODE"},
    {DD(591), "DDERR_NOMIPMAPHW"},
    {DD(592), "DDERR_INVALIDSURFACETYPE"},
    {DD(620), "DDERR_DCALREADYCREATED"},
    {DD(640), "DDERR_CANTPAGELOCK"},
    {DD(660), "DDERR_CANTPAGEUNLOCK"},
    {DD(680), "DDERR_NOTPAGELOCKED"},
};
static_assert(sizeof kDirectDrawNames / sizeof kDirectDrawNames[0] == 100);

constexpr Row kDirectSoundNames[] = {
    {kNotImpl, "DSERR_UNSUPPORTED"},
    {kFail, "DSERR_GENERIC"},
    {kNoAggregation, "DSERR_NOAGGREGATION"},
    {kOutOfMemory, "DSERR_OUTOFMEMORY"},
    {kInvalidArg, "DSERR_INVALIDPARAM"},
    {DS(10), "DSERR_ALLOCATED"},
    {DS(30), "DSERR_CONTROLUNAVAIL"},
    {DS(50), "DSERR_INVALIDCALL"},
    {DS(70), "DSERR_PRIOLEVELNEEDED"},
    {DS(100), "DSERR_BADFORMAT"},
    {DS(120), "DSERR_NODRIVER"},
    {DS(130), "DSERR_ALREADYINITIALIZED"},
    {DS(150), "DSERR_BUFFERLOST"},
    {DS(160), "DSERR_OTHERAPPHASPRIO"},
    {DS(170), "DSERR_UNINITIALIZED"},
};
static_assert(sizeof kDirectSoundNames / sizeof kDirectSoundNames[0] == 15);  // plus "Unknown Error"

constexpr const char kOutOfMemoryText[] = "DirectDraw does not have enough memory to perform the operation.";

constexpr Row kDescriptions[] = {
    {0, "No error."},
    {kNotImpl, "Action not supported."},
    {kFail, "Generic failure."},
    {kOutOfMemory, kOutOfMemoryText},
    {kInvalidArg, "One or more of the parameters passed to the function are incorrect."},
    {DD(5), "This object is already initialized."},
    {DD(10), "This surface can not be attached to the requested surface."},
    {DD(20), "This surface can not be detached from the requested surface."},
    {DD(40), "Support is currently not available."},
    {DD(55), "An exception was encountered while performing the requested operation."},
    {DD(90), "Height of rectangle provided is not a multiple of required alignment."},
    {DD(95), "Unable to match primary surface creation request with existing primary surface."},
    {DD(100), "One or more of the capability bits passed to the callback are incorrect."},
    {DD(110), "The clip list provided to the DirectDrawClipper object is invalid."},
    {DD(120), "DirectDraw does not support the requested mode."},
    {DD(130), "DirectDraw received a pointer that was an invalid DirectDraw object."},
    {DD(145), "The pixel format was invalid as specified."},
    {DD(150), "Rectangle provided was invalid."},
    {DD(160), "Operation could not be carried out because one or more surfaces are locked."},
    {DD(170), "There is no 3D present."},
    {DD(180), "Operation could not be carried out because there is no alpha accleration hardware present or available."},
    {DD(205), "No clip list available."},
    {DD(210), "Operation could not be carried out because there is no color conversion hardware present or available."},
    {DD(212), "Create function called without DirectDraw object method SetCooperativeLevel being called."},
    {DD(215), "Surface doesn't currently have a color key"},
    {DD(220), "Operation could not be carried out because there is no hardware support of the destination color key."},
    {DD(225), "Operation requires the application to have exclusive mode but the application does not have exclusive mode."},
    {DD(230), "Flipping visible surfaces is not supported."},
    {DD(240), "There is no GDI present."},
    {DD(250), "Operation could not be carried out because there is no hardware present or available."},
    {DD(255), "Requested item was not found."},
    {DD(260), "Operation could not be carried out because there is no overlay hardware present or available."},
    {DD(280), "Operation could not be carried out because there is no appropriate raster op hardware present or available."},
    {DD(290), "Operation could not be carried out because there is no rotation hardware present or available."},
    {DD(310), "Operation could not be carried out because there is no hardware support for stretching."},
    {DD(316), "DirectDrawSurface is not in 4 bit color palette and the requested operation requires 4 bit color palette."},
    {DD(317), "DirectDrawSurface is not in 4 bit color index palette and the requested operation requires 4 bit color index palette."},
    {DD(320), "DirectDraw Surface is not in 8 bit color mode and the requested operation requires 8 bit color."},
    {DD(330), "Operation could not be carried out because there is no texture mapping hardware present or available."},
    {DD(335), "Operation could not be carried out because there is no hardware support for vertical blank synchronized operations."},
    {DD(340), "Operation could not be carried out because there is no hardware support for zbuffer blitting."},
    {DD(350), "Overlay surfaces could not be z layered based on their BltOrder because the hardware does not support z layering of overlays."},
    {DD(360), "The hardware needed for the requested operation has already been allocated."},
    {DD(380), kOutOfMemoryText},
    {DD(382), "The hardware does not support clipped overlays."},
    {DD(384), "Can only have ony color key active at one time for overlays."},
    {DD(387), "Access to this palette is being refused because the palette is already locked by another thread."},
    {DD(400), "No src color key specified for this operation."},
    {DD(410), "This surface is already attached to the surface it is being attached to."},
    {DD(420), "This surface is already a dependency of the surface it is being made a dependency of."},
    {DD(430), "Access to this surface is being refused because the surface is already locked by another thread."},
    {DD(440), "Access to surface refused because the surface is obscured."},
    {DD(450),
     "Access to this surface is being refused because the surface memory is gone. The DirectDrawSurface object "
     "representing this surface should have Restore called on it."},
    {DD(460), "The requested surface is not attached."},
    {DD(470), "Height requested by DirectDraw is too large."},
    {DD(480), "Size requested by DirectDraw is too large, but the individual height and width are OK."},
    {DD(490), "Width requested by DirectDraw is too large."},
    {DD(510), "FOURCC format requested is unsupported by DirectDraw."},
    {DD(520), "Bitmask in the pixel format requested is unsupported by DirectDraw."},
    {DD(537), "Vertical blank is in progress."},
    {DD(540), "Informs DirectDraw that the previous Blt which is transfering information to or from this Surface is incomplete."},
    {DD(560), "Rectangle provided was not horizontally aligned on required boundary."},
    {DD(561), "The GUID passed to DirectDrawCreate is not a valid DirectDraw driver identifier."},
    {DD(562), "A DirectDraw object representing this driver has already been created for this process."},
    {DD(563), "A hardware-only DirectDraw object creation was attempted but the driver did not support any hardware."},
    {DD(564), "This process already has created a primary surface."},
    {DD(565), "Software emulation not available."},
    {DD(566), "Region passed to Clipper::GetClipList is too small."},
    {DD(567), "An attempt was made to set a cliplist for a clipper object that is already monitoring an hwnd."},
    {DD(568), "No clipper object attached to surface object."},
    {DD(569), "Clipper notification requires an HWND or no HWND has previously been set as the CooperativeLevel HWND."},
    {DD(570), "HWND used by DirectDraw CooperativeLevel has been subclassed, this prevents DirectDraw from restoring state."},
    {DD(571), "The CooperativeLevel HWND has already been set. It can not be reset while the process has surfaces or palettes created."},
    {DD(572), "No palette object attached to this surface."},
    {DD(573), "No hardware support for 16 or 256 color palettes."},
    {DD(574), "If a clipper object is attached to the source surface passed into a BltFast call."},
    {DD(575), "No blitter hardware present."},
    {DD(576), "No DirectDraw raster operation (ROP) hardware is available."},
    {DD(577), "Returned when GetOverlayPosition is called on a hidden overlay."},
    {DD(578), "Returned when GetOverlayPosition is called on an overlay that UpdateOverlay has never been called on to establish a destination."},
    {DD(579), "Returned when the position of the overlay on the destination is no longer legal for that destination."},
    {DD(580), "Returned when an overlay member is called for a non-overlay surface."},
    {DD(581), "An attempt was made to set the cooperative level when it was already set to exclusive."},
    {DD(582), "An attempt has been made to flip a surface that is not flippable."},
    {DD(583), "Can't duplicate primary & 3D surfaces, or surfaces that are implicitly created."},
    {DD(584), "Surface was not locked. An attempt to unlock a surface that was not locked at all, or by this process, has been attempted."},
    {DD(585), "Windows can not create any more DCs."},
    {DD(586), "No DC was ever created for this surface."},
    {DD(587), "This surface can not be restored because it was created in a different mode."},
    {DD(588), "This surface can not be restored because it is an implicitly created surface."},
    {DD(589), "The surface being used is not a palette-based surface."},
    {DD(700), "D3DERR_BADMAJORVERSION"},
    {DD(701), "D3DERR_BADMINORVERSION"},
    {DD(710), "D3DERR_EXECUTE_CREATE_FAILED"},
    {DD(711), "D3DERR_EXECUTE_DESTROY_FAILED"},
    {DD(712), "D3DERR_EXECUTE_LOCK_FAILED"},
    {DD(713), "D3DERR_EXECUTE_UNLOCK_FAILED"},
    {DD(714), "D3DERR_EXECUTE_LOCKED"},
    {DD(715), "D3DERR_EXECUTE_NOT_LOCKED"},
    {DD(716), "D3DERR_EXECUTE_FAILED"},
    {DD(717), "D3DERR_EXECUTE_CLIPPED_FAILED"},
    {DD(720), "D3DERR_TEXTURE_NO_SUPPORT"},
    {DD(721), "D3DERR_TEXTURE_CREATE_FAILED"},
    {DD(722), "D3DERR_TEXTURE_DESTROY_FAILED"},
    {DD(723), "D3DERR_TEXTURE_LOCK_FAILED"},
    {DD(724), "D3DERR_TEXTURE_UNLOCK_FAILED"},
    {DD(725), "D3DERR_TEXTURE_LOAD_FAILED"},
    {DD(727), "D3DERR_TEXTURELOCKED"},
    {DD(728), "D3DERR_TEXTURE_NOT_LOCKED"},
    {DD(730), "D3DERR_MATRIX_CREATE_FAILED"},
    {DD(731), "D3DERR_MATRIX_DESTROY_FAILED"},
    {DD(732), "D3DERR_MATRIX_SETDATA_FAILED"},
    {DD(734), "D3DERR_SETVIEWPORTDATA_FAILED"},
    {DD(740), "D3DERR_MATERIAL_CREATE_FAILED"},
    {DD(741), "D3DERR_MATERIAL_DESTROY_FAILED"},
    {DD(742), "D3DERR_MATERIAL_SETDATA_FAILED"},
    {DD(750), "D3DERR_LIGHT_SET_FAILED"},
    {DD(781), "D3DRMERR_BADOBJECT"},
    {DD(782), "D3DRMERR_BADTYPE"},
    {DD(783), "D3DRMERR_BADALLOC"},
    {DD(784), "D3DRMERR_FACEUSED"},
    {DD(785), "D3DRMERR_NOTFOUND"},
    {DD(786), "D3DRMERR_NOTDONEYET"},
    {DD(787), "The file was not found."},
    {DD(788), "D3DRMERR_BADFILE"},
    {DD(789), "D3DRMERR_BADDEVICE"},
    {DD(790), "D3DRMERR_BADVALUE"},
    {DD(791), "D3DRMERR_BADMAJORVERSION"},
    {DD(792), "D3DRMERR_BADMINORVERSION"},
    {DD(793), "D3DRMERR_UNABLETOEXECUTE"},
};
static_assert(sizeof kDescriptions / sizeof kDescriptions[0] == 130);

template <size_t N>
const char* Find(const Row (&table)[N], HRESULT result, const char* fallback) {
  for (const Row& row : table)
    if (row.result == result) return row.text;
  return fallback;
}

// Copies text into a fixed buffer, cut to fit with its terminator.
template <size_t N>
void CopyCut(char (&buffer)[N], const char* text) {
  snprintf(buffer, N, "%s", text ? text : "");
}

}  // namespace

const char* DirectDrawErrorName(HRESULT result) { return Find(kDirectDrawNames, result, "Unknown Error"); }
const char* DirectSoundErrorName(HRESULT result) { return Find(kDirectSoundNames, result, "Unknown Error"); }
const char* DirectXErrorText(HRESULT result) { return Find(kDescriptions, result, "Unrecognized error value."); }

void ReportDirectDrawError(HRESULT result, HWND window, const char* sourceFile, int line) {
  char name[256];
  CopyCut(name, DirectDrawErrorName(result));
  char message[1024];
  // snprintf never writes past the buffer: a long module name is cut, not overflowed.
  snprintf(message, sizeof message, "DirectDraw Error %s\nFILE: %s\nLINE: %d", name, sourceFile ? sourceFile : "",
           line);
  MessageBoxA(window, message, "Error", MB_OK);
  PostQuitMessage(0);
}

void ReportDirectSoundError(HRESULT result, HWND window) {
  char name[256];
  CopyCut(name, DirectSoundErrorName(result));
  char message[1024];
  snprintf(message, sizeof message, "DirectSound Error '%s.'\nContinue with Sound turned off?", name);
  if (MessageBoxA(window, message, "Error", MB_YESNO) == IDNO) PostQuitMessage(0);
}

void FatalError(Screen* screen, const char* format, ...) {
  char message[1024];
  va_list arguments;
  va_start(arguments, format);
  // vsnprintf cuts a long message at the buffer's end instead of overflowing it.
  vsnprintf(message, sizeof message, format ? format : "", arguments);
  va_end(arguments);

  HWND owner = nullptr;
  if (screen) {
    // In full-screen mode the box would be hidden behind the flipping chain:
    // bring the desktop's surface forward first.
    if (IDirectDraw4* directDraw = screen->GetDirectDraw()) directDraw->FlipToGDISurface();
    owner = screen->GetWindow();
  }
  MessageBoxA(owner, message, "Error", MB_OK | MB_ICONSTOP);
  PostQuitMessage(0);
}
