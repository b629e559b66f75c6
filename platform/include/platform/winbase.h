// SPDX-License-Identifier: MIT
/// @file
/// KERNEL32: sleeping, program resources, the old file calls and debugger output.
#pragma once

#include "platform/wintypes.h"

/// Sleeps for the backend: real milliseconds on the desktop, the virtual clock
/// on the headless backend (the sleep returns at once and time moves on), and
/// in the browser the page gets its turn meanwhile.
void Sleep(DWORD milliseconds);
/// Milliseconds since the platform started, from the same clock as timeGetTime.
DWORD GetTickCount();

/// @name Resource types
/** @{ */
/// Program resources, from the table the build compiles into the program
/// (rallex_add_resources(TARGET NAME TYPE FILE ...) in CMake, in place of a
/// resource script). A custom type is a name, such as "WAV".
#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_MENU MAKEINTRESOURCEA(4)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_RCDATA MAKEINTRESOURCEA(10)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)
/** @} */

/// @name Program resources
/** @{ */
/// Looks a resource up by name (a string, compared without case, or an
/// integer name, MAKEINTRESOURCEA) and type; null when the program has none.
/// There is one module, the program, whatever module says.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
/// The found resource's data handle.
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
/// The resource's bytes, read-only, valid for the whole run.
LPVOID LockResource(HGLOBAL data);
/// The resource's length in bytes.
DWORD SizeofResource(HMODULE module, HRSRC resource);
/// Nothing to free, resources live in the program: FALSE, as on Windows.
BOOL FreeResource(HGLOBAL data);
/// The program's own module, whatever the name.
HMODULE GetModuleHandleA(LPCSTR name);
/** @} */

/// @name The old 16-bit file calls
/** @{ */
/// The old 16-bit file calls, still used for reading whole files. Paths are
/// the system's (forward slashes, case counts); a file number is a POSIX file
/// descriptor.
#define OF_READ 0x0000
#define OF_WRITE 0x0001
#define OF_READWRITE 0x0002
#define HFILE_ERROR (static_cast<HFILE>(-1))
/** @} */
/// @name File calls
/** @{ */
/// Opens a file (OF_READ, OF_WRITE, OF_READWRITE); HFILE_ERROR on failure.
HFILE _lopen(LPCSTR path, int mode);
/// Creates or empties a file for writing; the attribute is ignored.
HFILE _lcreat(LPCSTR path, int attribute);
/// Reads up to bytes; returns the count read, or HFILE_ERROR as a UINT.
UINT _lread(HFILE file, LPVOID buffer, UINT bytes);
/// Writes bytes; returns the count written, or HFILE_ERROR as a UINT.
UINT _lwrite(HFILE file, LPCSTR buffer, UINT bytes);
/// Moves the position (origin 0 start, 1 current, 2 end); the new position.
LONG _llseek(HFILE file, LONG offset, int origin);
/// Closes the file; 0, or HFILE_ERROR.
HFILE _lclose(HFILE file);
/// Deletes a file.
BOOL DeleteFileA(LPCSTR path);
/** @} */
/// The working directory into buffer: its length without the terminating zero
/// when it fits in size bytes; otherwise the size needed, terminator included
/// (buffer untouched); 0 on failure.
DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);

/// Text for a developer's debugger: silent by default, written to standard
/// error when the environment variable RALLEX_DEBUG_OUTPUT is set (not "0"),
/// and kept by the headless backend for tests
/// (platform::headless::DebugOutput).
void OutputDebugStringA(LPCSTR text);

/// @name Processor features
/** @{ */
/// Instruction sets the program may use: those of the level the platform
/// layer's own loops run at (platform/cpu.h), so that RALLEX_CPU caps both
/// (for example RALLEX_CPU=ssse3).
#define PF_XMMI64_INSTRUCTIONS_AVAILABLE 10
#define PF_ARM_NEON_INSTRUCTIONS_AVAILABLE 19
#define PF_SSSE3_INSTRUCTIONS_AVAILABLE 36
#define PF_SSE4_1_INSTRUCTIONS_AVAILABLE 37
#define PF_SSE4_2_INSTRUCTIONS_AVAILABLE 38
#define PF_AVX_INSTRUCTIONS_AVAILABLE 39
#define PF_AVX2_INSTRUCTIONS_AVAILABLE 40
#define PF_AVX512F_INSTRUCTIONS_AVAILABLE 41
/** @} */
/// Whether the platform's chosen instruction set includes the feature; FALSE
/// for any feature not listed above.
BOOL IsProcessorFeaturePresent(DWORD feature);

/// The calling thread's last error, as SetLastError left it (the platform's
/// own calls do not set it).
DWORD GetLastError();
/// Sets the calling thread's last error.
void SetLastError(DWORD error);
