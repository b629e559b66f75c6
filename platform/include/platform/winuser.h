// SPDX-License-Identifier: MIT
/// @file
/// USER32: window classes and windows, the message queue, the cursor, message
/// boxes, rectangles, key names and text formatting.
///
/// A window is a window of the backend: an SDL window on the desktop, the
/// canvas in the browser, a record on the headless backend. Messages come from
/// the backend's events: a key gives WM_KEYDOWN / WM_KEYUP (WM_SYSKEYDOWN /
/// WM_SYSKEYUP for Alt), the close box or a request to end the program
/// WM_CLOSE, a change of focus WM_ACTIVATEAPP. Mouse and joystick input is
/// read through DirectInput; no mouse messages and no WM_CHAR are posted.
#pragma once

#include "platform/wintypes.h"

/// A window procedure: called by DispatchMessageA and SendMessageA.
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

/// A window class (RegisterClassA). The procedure, the class name and the icon
/// are used; the other fields are kept.
struct WNDCLASSA {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HGDIOBJ hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
  /** @} */
};

/// A message of the queue.
struct MSG {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out; time is timeGetTime's clock.
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
  /** @} */
};
/// Pointer to a MSG.
using LPMSG = MSG*;

/// @name Integer resource names (MAKEINTRESOURCE)
/** @{ */
/// Values below 0x10000 passed as names.
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<uintptr_t>(static_cast<WORD>(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(p) ((reinterpret_cast<uintptr_t>(p) >> 16) == 0)
/** @} */

/// @name Class styles
/** @{ */
/// Class styles.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
/** @} */

/// @name Window styles
/** @{ */
/// Window styles.
#define WS_OVERLAPPED 0x00000000u
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_VISIBLE 0x10000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_DLGFRAME 0x00400000u
#define WS_SYSMENU 0x00080000u
#define WS_THICKFRAME 0x00040000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_MAXIMIZEBOX 0x00010000u
#define WS_OVERLAPPEDWINDOW (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_EX_TOPMOST 0x00000008u
#define CW_USEDEFAULT (static_cast<int>(0x80000000u))
/** @} */

/// @name GetWindowLongA indices
/** @{ */
/// The style and the extended style; other indices read 0.
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
/** @} */

/// @name SetWindowPos
/** @{ */
/// SetWindowPos.
#define HWND_TOP (reinterpret_cast<HWND>(0))
#define HWND_BOTTOM (reinterpret_cast<HWND>(1))
#define HWND_TOPMOST (reinterpret_cast<HWND>(-1))
#define HWND_NOTOPMOST (reinterpret_cast<HWND>(-2))
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOACTIVATE 0x0010
/** @} */

/// @name ShowWindow
/** @{ */
/// ShowWindow.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWDEFAULT 10
/** @} */

/// @name Messages
/** @{ */
/// Messages. The platform posts WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN,
/// WM_SYSKEYUP, WM_CLOSE, WM_ACTIVATEAPP and WM_QUIT (PostQuitMessage), and
/// sends WM_CREATE, WM_DESTROY and WM_PAINT (UpdateWindow); the others are
/// there for programs that post them themselves.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ACTIVATEAPP 0x001C
#define WM_SETCURSOR 0x0020
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCHAR 0x0106
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208
#define WM_USER 0x0400
/** @} */

/// @name PeekMessage
/** @{ */
/// PeekMessage.
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
/** @} */

/// @name Virtual-key codes
/** @{ */
/// Virtual-key codes.
#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_CANCEL 0x03
#define VK_MBUTTON 0x04
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_CLEAR 0x0C
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_CAPITAL 0x14
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_SNAPSHOT 0x2C
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_LWIN 0x5B
#define VK_RWIN 0x5C
#define VK_APPS 0x5D
#define VK_NUMPAD0 0x60
#define VK_NUMPAD1 0x61
#define VK_NUMPAD2 0x62
#define VK_NUMPAD3 0x63
#define VK_NUMPAD4 0x64
#define VK_NUMPAD5 0x65
#define VK_NUMPAD6 0x66
#define VK_NUMPAD7 0x67
#define VK_NUMPAD8 0x68
#define VK_NUMPAD9 0x69
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SEPARATOR 0x6C
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B
#define VK_NUMLOCK 0x90
#define VK_SCROLL 0x91
#define VK_LSHIFT 0xA0
#define VK_RSHIFT 0xA1
#define VK_LCONTROL 0xA2
#define VK_RCONTROL 0xA3
#define VK_LMENU 0xA4
#define VK_RMENU 0xA5
#define VK_OEM_1 0xBA
#define VK_OEM_PLUS 0xBB
#define VK_OEM_COMMA 0xBC
#define VK_OEM_MINUS 0xBD
#define VK_OEM_PERIOD 0xBE
#define VK_OEM_2 0xBF
#define VK_OEM_3 0xC0
#define VK_OEM_4 0xDB
#define VK_OEM_5 0xDC
#define VK_OEM_6 0xDD
#define VK_OEM_7 0xDE
#define VK_OEM_102 0xE2
/** @} */

/// @name MapVirtualKey map types
/** @{ */
/// MapVirtualKey map types.
#define MAPVK_VK_TO_VSC 0
#define MAPVK_VSC_TO_VK 1
#define MAPVK_VK_TO_CHAR 2
#define MAPVK_VSC_TO_VK_EX 3
/** @} */

/// @name Message boxes
/** @{ */
/// MessageBoxA's buttons and icons, and its answers.
#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_ICONHAND 0x00000010u
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION 0x00000040u
#define MB_TYPEMASK 0x0000000Fu
#define MB_ICONMASK 0x000000F0u
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
/** @} */

/// @name System cursors and icons
/** @{ */
/// System cursors and icons (LoadCursorA and LoadIconA with a null instance).
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
/** @} */

/// Registers a class by name (the procedure is required); 0 when the name is
/// taken.
ATOM RegisterClassA(const WNDCLASSA* wndClass);
/// Forgets a class.
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
/// Makes a window of the backend with the class's procedure and icon, sends
/// WM_CREATE, and shows it with WS_VISIBLE. The position is kept for the
/// program's own arithmetic; the window system places the window.
/// CW_USEDEFAULT gives 640 x 480. parent and param are not used.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
/// Sends WM_DESTROY and closes the window.
BOOL DestroyWindow(HWND window);
/// Whether the handle is a window that has not been destroyed.
BOOL IsWindow(HWND window);
/// The style (GWL_STYLE) or extended style (GWL_EXSTYLE).
LONG GetWindowLongA(HWND window, int index);
/// The menu given to CreateWindowExA (none is shown).
HMENU GetMenu(HWND window);
/// Grows a client rectangle to the window rectangle of the style (the frame
/// sizes are Windows').
BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);
/// Resizes the client area (SWP_NOSIZE keeps it); the position is kept for
/// the program's arithmetic; HWND_TOPMOST and HWND_NOTOPMOST are kept.
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
/// Shows or (SW_HIDE) hides; returns whether it was visible.
BOOL ShowWindow(HWND window, int showCommand);
/// Sends WM_PAINT.
BOOL UpdateWindow(HWND window);
/// The client area's size, at 0, 0.
BOOL GetClientRect(HWND window, LPRECT rect);
/// The window's rectangle, frame included.
BOOL GetWindowRect(HWND window, LPRECT rect);
/// Adds the client area's place to the point.
BOOL ClientToScreen(HWND window, LPPOINT point);
/// Sets the title.
BOOL SetWindowTextA(HWND window, LPCSTR text);
/// Copies the title (at most maxCount - 1 characters); returns its length.
int GetWindowTextA(HWND window, LPSTR text, int maxCount);
/// The program's window that has the focus, or null.
HWND GetForegroundWindow();
/// The focus is the window system's to give: returns the focused window and
/// changes nothing.
HWND SetFocus(HWND window);
/// GetForegroundWindow.
HWND GetFocus();

/// An icon from the program's resources (RT_ICON or RT_GROUP_ICON holding a
/// bitmap, at most 256 pixels a side); with a null instance, the system icon.
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
/// The system cursor for a null instance and an integer name (every one looks
/// like the window system's arrow); program cursors are not provided (null).
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
/// The cursor over the program's windows; null hides it. Returns the old one.
HCURSOR SetCursor(HCURSOR cursor);
/// Counts shows and hides; the cursor is shown while the count is 0 or more
/// and a cursor is set. Returns the count.
int ShowCursor(BOOL show);

/// Reads the backend's events into the queue, then looks for a message
/// (PM_REMOVE takes it); never waits. WM_QUIT comes after the other messages.
BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
/// Waits for a message (sleeping, or giving the browser its turn); FALSE for
/// WM_QUIT, -1 when nothing is queued and no event can ever arrive.
BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax);
/// TRUE for key-down messages; no WM_CHAR is posted.
BOOL TranslateMessage(const MSG* msg);
/// Calls the window's procedure; 0 for a window that is gone.
LRESULT DispatchMessageA(const MSG* msg);
/// Queues a message (a null window: for the thread).
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/// WM_QUIT with the exit code comes once the queue is empty.
void PostQuitMessage(int exitCode);
/// Calls the window's procedure at once.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/// WM_CLOSE destroys the window; everything else returns 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/// A modal box above the program's window, even a full-screen one, which
/// comes back full-screen, raised and focused after it. Where no dialog can be
/// shown, the terminal says so with the answer taken (the first button); the
/// headless backend takes scripted answers
/// (platform::headless::AnswerNextMessageBox). Returns IDOK, IDCANCEL, IDYES or IDNO.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

/// @name Rectangles
/** @{ */
/// Sets the four sides.
BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom);
/// Moves the rectangle.
BOOL OffsetRect(LPRECT rect, int dx, int dy);
/// The overlap of a and b; FALSE (and an empty dest) when they do not overlap.
BOOL IntersectRect(LPRECT dest, const RECT* a, const RECT* b);
/// TRUE when the rectangle has no area (or is null).
BOOL IsRectEmpty(const RECT* rect);
/** @} */

/// The key's English name ("Esc", "Shift", "Num Enter" ...) from a key
/// message's lParam (scan code in bits 16-23, extended key bit 24; bit 25
/// makes left and right alike); returns its length.
int GetKeyNameTextA(LONG lParam, LPSTR buffer, int size);
/// MAPVK_VK_TO_VSC, MAPVK_VSC_TO_VK (left and right alike) and
/// MAPVK_VSC_TO_VK_EX (told apart); scan codes may carry the extended prefix
/// as 0xE0nn or as 0x80 added (DirectInput's numbering). 0 when there is no
/// translation.
UINT MapVirtualKeyA(UINT code, UINT mapType);

/// The desktop's width (SM_CXSCREEN) or height (SM_CYSCREEN); 0 for others.
int GetSystemMetrics(int index);
/// @name GetSystemMetrics indices
/** @{ */
/// The desktop's width and height.
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
/** @} */

/// Formats like the platform's wsprintfA: %d %i %u %x %X %s %c %ld %lu %lx with
/// flags, width and precision, no floating point; writes at most 1024 characters
/// including the terminator; returns the number of characters written.
int wsprintfA(LPSTR buffer, LPCSTR format, ...);
