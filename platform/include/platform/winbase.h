// SPDX-License-Identifier: MIT
// KERNEL32: sleeping, program resources, the old file calls and debugger output.
#pragma once

#include "platform/wintypes.h"

void Sleep(DWORD milliseconds);
DWORD GetTickCount();

// Program resources, from the table the build compiles into the program.
#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_MENU MAKEINTRESOURCEA(4)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_RCDATA MAKEINTRESOURCEA(10)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);
BOOL FreeResource(HGLOBAL data);
HMODULE GetModuleHandleA(LPCSTR name);

// The old 16-bit file calls, still used for reading whole files.
#define OF_READ 0x0000
#define OF_WRITE 0x0001
#define OF_READWRITE 0x0002
#define HFILE_ERROR (static_cast<HFILE>(-1))
HFILE _lopen(LPCSTR path, int mode);
HFILE _lcreat(LPCSTR path, int attribute);
UINT _lread(HFILE file, LPVOID buffer, UINT bytes);
UINT _lwrite(HFILE file, LPCSTR buffer, UINT bytes);
LONG _llseek(HFILE file, LONG offset, int origin);
HFILE _lclose(HFILE file);
BOOL DeleteFileA(LPCSTR path);
// The working directory into buffer: its length without the terminating zero
// when it fits in size bytes; otherwise the size needed, terminator included
// (buffer untouched); 0 on failure.
DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);

void OutputDebugStringA(LPCSTR text);

// Instruction sets the program may use (those the platform layer's own loops
// use too, under the same choice).
#define PF_XMMI64_INSTRUCTIONS_AVAILABLE 10
#define PF_SSSE3_INSTRUCTIONS_AVAILABLE 36
#define PF_AVX2_INSTRUCTIONS_AVAILABLE 40
BOOL IsProcessorFeaturePresent(DWORD feature);

DWORD GetLastError();
void SetLastError(DWORD error);
