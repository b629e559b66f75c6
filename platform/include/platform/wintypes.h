// SPDX-License-Identifier: MIT
// Base types of the Windows platform with their platform widths on 64-bit Linux:
// LONG, DWORD and HRESULT are 32 bits, handles are pointers to opaque structs.
#pragma once

#include <cstddef>
#include <cstdint>

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

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define WINAPI
#define CALLBACK
#define APIENTRY

// Opaque handles. Each kind is a distinct pointer type so that they cannot be mixed.
#define RX_DECLARE_HANDLE(name) \
  struct name##__;              \
  using name = name##__*
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

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;

struct POINT {
  LONG x;
  LONG y;
};
using LPPOINT = POINT*;

struct SIZE {
  LONG cx;
  LONG cy;
};
using LPSIZE = SIZE*;

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
using IID = GUID;
using REFGUID = const GUID&;
using REFIID = const GUID&;
using LPGUID = GUID*;

inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }
#define IsEqualGUID(a, b) ((a) == (b))

#define LOWORD(l) (static_cast<WORD>(static_cast<DWORD_PTR>(l) & 0xffff))
#define HIWORD(l) (static_cast<WORD>((static_cast<DWORD_PTR>(l) >> 16) & 0xffff))
#define LOBYTE(w) (static_cast<BYTE>(static_cast<DWORD_PTR>(w) & 0xff))
#define MAKELONG(a, b) (static_cast<LONG>((static_cast<WORD>(a)) | (static_cast<DWORD>(static_cast<WORD>(b))) << 16))
#define RGB(r, g, b) \
  (static_cast<COLORREF>((static_cast<BYTE>(r)) | (static_cast<WORD>(static_cast<BYTE>(g)) << 8) | (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))
#define GetRValue(rgb) (LOBYTE(rgb))
#define GetGValue(rgb) (LOBYTE((static_cast<WORD>(rgb)) >> 8))
#define GetBValue(rgb) (LOBYTE((rgb) >> 16))

// Result codes.
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

// The base of every interface: reference counting and interface queries.
struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;
extern const IID IID_IUnknown;
