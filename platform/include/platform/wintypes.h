// SPDX-License-Identifier: MIT
/// @file
/// Base types of the Windows platform with their platform widths on 64-bit Linux:
/// LONG, DWORD and HRESULT are 32 bits, handles are pointers to opaque structs.
#pragma once

#include <cstddef>
#include <cstdint>

/// @name Integer and pointer types
/** @{ */
/// Windows' names with Windows' widths: LONG, DWORD, BOOL and HRESULT are 32
/// bits on 64-bit Linux too (never `long`); the _PTR types, WPARAM, LPARAM and
/// LRESULT are as wide as a pointer. An LP name is a pointer to its type.
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using INT = int32_t;
using UINT = uint32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using BOOL = int32_t;
using CHAR = char;
using UCHAR = unsigned char;
using HRESULT = int32_t;
using COLORREF = DWORD;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;
using DWORD_PTR = uintptr_t;
using ATOM = WORD;
using LPVOID = void*;
using LPCVOID = const void*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPDWORD = DWORD*;
using LPLONG = LONG*;
using LPBYTE = BYTE*;
/** @} */

/// @name Truth values of BOOL
/** @{ */
/// Truth values of BOOL.
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
/** @} */

/// @name Calling conventions
/** @{ */
/// Empty here: there is one calling convention. They let declarations written
/// for Windows compile unchanged.
#define WINAPI
#define CALLBACK
#define APIENTRY
/** @} */

/// Declares the handle type name. Opaque handles: each kind is a distinct
/// pointer type so that they cannot be mixed.
#define RX_DECLARE_HANDLE(name) \
  struct name##__;              \
  using name = name##__*
/// @name Handles
/** @{ */
/// Opaque pointers: HWND a window, HINSTANCE (and HMODULE) the program, HICON
/// (and HCURSOR) an icon or cursor, HMENU a menu (there are none), HDC a
/// device context, HRSRC a found resource, HMONITOR a monitor. HGDIOBJ,
/// HGLOBAL and HANDLE are untyped; HFILE is a file number of the old file calls.
RX_DECLARE_HANDLE(HWND);
RX_DECLARE_HANDLE(HINSTANCE);
RX_DECLARE_HANDLE(HICON);
RX_DECLARE_HANDLE(HMENU);
RX_DECLARE_HANDLE(HDC);
RX_DECLARE_HANDLE(HRSRC);
RX_DECLARE_HANDLE(HMONITOR);
using HMODULE = HINSTANCE;
using HCURSOR = HICON;
using HGDIOBJ = void*;
using HGLOBAL = void*;
using HANDLE = void*;
using HFILE = int32_t;
/** @} */

/// A rectangle: four signed 32-bit values; right and bottom are exclusive.
struct RECT {
  /// @name Fields
  /** @{ */
  /// Left and top inside, right and bottom just outside.
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
  /** @} */
};
/// @name Pointers to a RECT
/** @{ */
/// Pointers to a RECT.
using LPRECT = RECT*;
using LPCRECT = const RECT*;
/** @} */

/// A point.
struct POINT {
  /// @name Fields
  /** @{ */
  /// The coordinates.
  LONG x;
  LONG y;
  /** @} */
};
/// Pointer to a POINT.
using LPPOINT = POINT*;

/// A size: cx wide, cy high.
struct SIZE {
  /// @name Fields
  /** @{ */
  /// Width and height.
  LONG cx;
  LONG cy;
  /** @} */
};
/// Pointer to a SIZE.
using LPSIZE = SIZE*;

/// A 128-bit identifier of an interface, device or object, in Windows' layout.
struct GUID {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
  /** @} */
};
/// @name Identifier types
/** @{ */
/// An IID is a GUID naming an interface; REF names are references to one.
using IID = GUID;
using REFGUID = const GUID&;
using REFIID = const GUID&;
using LPGUID = GUID*;
/** @} */

/// @name Comparing identifiers
/// Field by field.
/** @{ */
/// True when a and b are the same identifier.
inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
/// True when a and b differ.
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }
/// a == b.
#define IsEqualGUID(a, b) ((a) == (b))
/** @} */

/// @name Word, byte and colour helpers
/** @{ */
/// LOWORD, HIWORD and LOBYTE take the low 16, the next 16 and the low 8
/// bits; MAKELONG puts a in the low word and b in the high one; RGB makes a
/// COLORREF 0x00BBGGRR and GetRValue, GetGValue and GetBValue take it apart.
#define LOWORD(l) (static_cast<WORD>(static_cast<DWORD_PTR>(l) & 0xffff))
#define HIWORD(l) (static_cast<WORD>((static_cast<DWORD_PTR>(l) >> 16) & 0xffff))
#define LOBYTE(w) (static_cast<BYTE>(static_cast<DWORD_PTR>(w) & 0xff))
#define MAKELONG(a, b) (static_cast<LONG>((static_cast<WORD>(a)) | (static_cast<DWORD>(static_cast<WORD>(b))) << 16))
#define RGB(r, g, b) \
  (static_cast<COLORREF>((static_cast<BYTE>(r)) | (static_cast<WORD>(static_cast<BYTE>(g)) << 8) | (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))
#define GetRValue(rgb) (LOBYTE(rgb))
#define GetGValue(rgb) (LOBYTE((static_cast<WORD>(rgb)) >> 8))
#define GetBValue(rgb) (LOBYTE((rgb) >> 16))
/** @} */

/// @name Result codes
/** @{ */
/// Windows' published values; SUCCEEDED and FAILED test the sign, and
/// RX_HRESULT spells a 32-bit value as an HRESULT.
#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)
#define RX_HRESULT(v) (static_cast<HRESULT>(static_cast<uint32_t>(v)))
#define S_OK RX_HRESULT(0x00000000u)
#define S_FALSE RX_HRESULT(0x00000001u)
#define E_NOTIMPL RX_HRESULT(0x80004001u)
#define E_NOINTERFACE RX_HRESULT(0x80004002u)
#define E_POINTER RX_HRESULT(0x80004003u)
#define E_FAIL RX_HRESULT(0x80004005u)
#define CLASS_E_NOAGGREGATION RX_HRESULT(0x80040110u)
#define CO_E_NOTINITIALIZED RX_HRESULT(0x800401F0u)
#define E_OUTOFMEMORY RX_HRESULT(0x8007000Eu)
#define E_INVALIDARG RX_HRESULT(0x80070057u)
#define E_HANDLE RX_HRESULT(0x80070006u)
/** @} */

/// The base of every interface: reference counting and interface queries.
///
/// Every interface counts references as COM does: an object dies at its last
/// Release.
struct IUnknown {
  /// Hands out another interface of the object (one more reference), or
  /// answers E_NOINTERFACE with *object null.
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  /// One more reference; returns the new count.
  virtual ULONG AddRef() = 0;
  /// One reference less; the object is destroyed at 0. Returns the new count.
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};
/// Pointer to an IUnknown.
using LPUNKNOWN = IUnknown*;
/// The identifier of IUnknown, which every object answers.
extern const IID IID_IUnknown;
