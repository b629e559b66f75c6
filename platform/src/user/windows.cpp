// SPDX-License-Identifier: MIT
// Window classes and windows. Each top-level window gets a backend window whose
// client area follows the platform window's client rectangle.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "gdi/gdi_internal.h"
#include "kernel/resources.h"
#include "platform/winbase.h"
#include "user/user_internal.h"

namespace platform::user {
namespace {

struct WindowClass {
  std::string name;
  WNDCLASSA wc{};
};

std::vector<WindowClass>& Classes() {
  static std::vector<WindowClass> classes;
  return classes;
}

std::vector<std::unique_ptr<HWND__>>& Windows() {
  static std::vector<std::unique_ptr<HWND__>> windows;
  return windows;
}

bool SameName(const std::string& a, const char* b) {
  return b && strcasecmp(a.c_str(), b) == 0;
}

// Frame sizes of a window of the given style, in the platform's classic metrics.
void FrameOf(DWORD style, LONG& left, LONG& top, LONG& right, LONG& bottom) {
  left = top = right = bottom = 0;
  if (style & WS_THICKFRAME) {
    left = top = right = bottom = 4;
  } else if ((style & WS_CAPTION) == WS_CAPTION || (style & WS_DLGFRAME)) {
    left = top = right = bottom = 3;
  } else if (style & WS_BORDER) {
    left = top = right = bottom = 1;
  }
  if ((style & WS_CAPTION) == WS_CAPTION) top += 18;
}

}  // namespace

HWND Live(HWND window) {
  for (auto& w : Windows())
    if (w.get() == window) return window;
  return nullptr;
}

HWND WindowFromBackend(backend::WindowId id) {
  for (auto& w : Windows())
    if (w->backendId == id) return w.get();
  return nullptr;
}

backend::WindowId BackendWindow(HWND window) { return Live(window) ? window->backendId : backend::kNoWindow; }

HWND MainWindow() { return Windows().empty() ? nullptr : Windows().front().get(); }

void ForgetWindows() {
  Windows().clear();
  Classes().clear();
}

}  // namespace platform::user

using platform::user::Live;

ATOM RegisterClassA(const WNDCLASSA* wndClass) {
  if (!wndClass || !wndClass->lpszClassName || IS_INTRESOURCE(wndClass->lpszClassName) || !wndClass->lpfnWndProc)
    return 0;
  auto& classes = platform::user::Classes();
  for (auto& c : classes)
    if (platform::user::SameName(c.name, wndClass->lpszClassName)) return 0;  // already registered
  classes.push_back({wndClass->lpszClassName, *wndClass});
  return static_cast<ATOM>(0xC000 + classes.size());
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
  auto& classes = platform::user::Classes();
  for (auto it = classes.begin(); it != classes.end(); ++it)
    if (platform::user::SameName(it->name, className)) {
      classes.erase(it);
      return TRUE;
    }
  return FALSE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND, HMENU menu, HINSTANCE, LPVOID) {
  const platform::user::WindowClass* cls = nullptr;
  for (auto& c : platform::user::Classes())
    if (platform::user::SameName(c.name, className)) cls = &c;
  if (!cls) return nullptr;

  auto window = std::make_unique<HWND__>();
  window->proc = cls->wc.lpfnWndProc;
  window->className = cls->name;
  window->title = windowName ? windowName : "";
  // Overlapped windows always have a caption, as on the platform.
  if (!(style & (WS_POPUP | WS_CHILD))) style |= WS_CAPTION | 0x04000000u /* WS_CLIPSIBLINGS */;
  window->style = style;
  window->exStyle = exStyle;
  window->topmost = (exStyle & WS_EX_TOPMOST) != 0;
  window->icon = cls->wc.hIcon;
  window->menu = menu;
  if (x == CW_USEDEFAULT) x = 0;
  if (y == CW_USEDEFAULT) y = 0;
  if (width == CW_USEDEFAULT || width < 0) width = 640;
  if (height == CW_USEDEFAULT || height < 0) height = 480;
  window->windowRect = {x, y, x + width, y + height};
  LONG l, t, r, b;
  platform::user::FrameOf(style, l, t, r, b);
  window->clientRect = {x + l, y + t, std::max<LONG>(x + l, x + width - r), std::max<LONG>(y + t, y + height - b)};

  auto& backend = platform::backend::Instance();
  window->backendId = backend.CreateWindow(window->title, window->clientRect.right - window->clientRect.left,
                                           window->clientRect.bottom - window->clientRect.top, false);
  if (window->backendId == platform::backend::kNoWindow) return nullptr;
  if (window->icon && !window->icon->argb.empty())
    backend.SetWindowIcon(window->backendId, window->icon->argb.data(), window->icon->width, window->icon->height);

  HWND handle = window.get();
  platform::user::Windows().push_back(std::move(window));
  SendMessageA(handle, WM_CREATE, 0, 0);
  if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
  return handle;
}

BOOL DestroyWindow(HWND window) {
  if (!Live(window)) return FALSE;
  SendMessageA(window, WM_DESTROY, 0, 0);
  if (!Live(window)) return TRUE;  // destroyed again from inside WM_DESTROY
  platform::backend::Instance().DestroyWindow(window->backendId);
  auto& windows = platform::user::Windows();
  windows.erase(std::remove_if(windows.begin(), windows.end(), [&](auto& w) { return w.get() == window; }),
                windows.end());
  return TRUE;
}

BOOL IsWindow(HWND window) { return Live(window) != nullptr; }

LONG GetWindowLongA(HWND window, int index) {
  if (!Live(window)) return 0;
  if (index == GWL_STYLE) return static_cast<LONG>(window->style | (window->visible ? WS_VISIBLE : 0));
  if (index == GWL_EXSTYLE) return static_cast<LONG>(window->exStyle | (window->topmost ? WS_EX_TOPMOST : 0));
  return 0;
}

HMENU GetMenu(HWND window) { return Live(window) ? window->menu : nullptr; }

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD) {
  if (!rect) return FALSE;
  LONG l, t, r, b;
  platform::user::FrameOf(style, l, t, r, b);
  if (menu) t += 19;
  rect->left -= l;
  rect->top -= t;
  rect->right += r;
  rect->bottom += b;
  return TRUE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  if (!Live(window)) return FALSE;
  RECT& wr = window->windowRect;
  RECT& cr = window->clientRect;
  LONG l = cr.left - wr.left, t = cr.top - wr.top, r = wr.right - cr.right, b = wr.bottom - cr.bottom;
  if (!(flags & SWP_NOMOVE)) {
    LONG dx = x - wr.left, dy = y - wr.top;
    OffsetRect(&wr, dx, dy);
    OffsetRect(&cr, dx, dy);
  }
  if (!(flags & SWP_NOSIZE)) {
    cx = std::max(cx, 0);
    cy = std::max(cy, 0);
    wr.right = wr.left + cx;
    wr.bottom = wr.top + cy;
    cr = {wr.left + l, wr.top + t, std::max<LONG>(wr.left + l, wr.right - r), std::max<LONG>(wr.top + t, wr.bottom - b)};
    platform::backend::Instance().SetWindowClientSize(window->backendId, cr.right - cr.left, cr.bottom - cr.top);
  }
  if (!(flags & SWP_NOZORDER)) {
    if (insertAfter == HWND_TOPMOST) window->topmost = true;
    if (insertAfter == HWND_NOTOPMOST) window->topmost = false;
  }
  return TRUE;
}

BOOL ShowWindow(HWND window, int showCommand) {
  if (!Live(window)) return FALSE;
  BOOL wasVisible = window->visible ? TRUE : FALSE;
  window->visible = showCommand != SW_HIDE;
  platform::backend::Instance().ShowWindow(window->backendId, window->visible);
  return wasVisible;
}

BOOL UpdateWindow(HWND window) {
  if (!Live(window)) return FALSE;
  SendMessageA(window, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
  if (!Live(window) || !rect) return FALSE;
  *rect = {0, 0, window->clientRect.right - window->clientRect.left, window->clientRect.bottom - window->clientRect.top};
  return TRUE;
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
  if (!Live(window) || !rect) return FALSE;
  *rect = window->windowRect;
  return TRUE;
}

BOOL ClientToScreen(HWND window, LPPOINT point) {
  if (!Live(window) || !point) return FALSE;
  point->x += window->clientRect.left;
  point->y += window->clientRect.top;
  return TRUE;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  if (!Live(window)) return FALSE;
  window->title = text ? text : "";
  platform::backend::Instance().SetWindowTitle(window->backendId, window->title);
  return TRUE;
}

int GetWindowTextA(HWND window, LPSTR text, int maxCount) {
  if (!Live(window) || !text || maxCount <= 0) return 0;
  int n = static_cast<int>(std::min<size_t>(window->title.size(), static_cast<size_t>(maxCount - 1)));
  memcpy(text, window->title.data(), static_cast<size_t>(n));
  text[n] = '\0';
  return n;
}

HWND GetForegroundWindow() {
  for (auto& w : platform::user::Windows())
    if (platform::backend::Instance().HasFocus(w->backendId)) return w.get();
  return nullptr;
}

HWND GetFocus() { return GetForegroundWindow(); }
HWND SetFocus(HWND window) {
  HWND previous = GetFocus();
  (void)window;
  return previous;
}

// Icons and cursors.

namespace {

HICON__ systemArrow;

std::vector<std::unique_ptr<HICON__>>& LoadedIcons() {
  static std::vector<std::unique_ptr<HICON__>> icons;
  return icons;
}

}  // namespace

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (!instance) return IS_INTRESOURCE(name) ? &systemArrow : nullptr;
  HRSRC res = FindResourceA(instance, name, RT_ICON);
  if (!res) res = FindResourceA(instance, name, RT_GROUP_ICON);
  if (!res) return nullptr;
  auto icon = std::make_unique<HICON__>();
  const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(instance, res)));
  if (!data) return nullptr;
  // The icon resource holds a bitmap image; the GDI's reader decodes it.
  int32_t width = 0, height = 0;
  std::vector<uint32_t> argb;
  if (!platform::gdi::DecodeBitmapArgb(data, SizeofResource(instance, res), width, height, argb)) return nullptr;
  if (width > 256 || height > 256) return nullptr;  // icons are small
  icon->width = width;
  icon->height = height;
  icon->argb.assign(argb.begin(), argb.end());
  LoadedIcons().push_back(std::move(icon));
  return LoadedIcons().back().get();
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (instance || !IS_INTRESOURCE(name)) return nullptr;
  return &systemArrow;  // every system cursor looks like the backend's arrow
}

namespace {
HCURSOR currentCursor = &systemArrow;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR previous = currentCursor;
  currentCursor = cursor;
  for (auto& w : platform::user::Windows())
    platform::backend::Instance().SetCursorVisible(w->backendId, cursor != nullptr);
  return previous;
}

int ShowCursor(BOOL show) {
  static int counter = 0;
  counter += show ? 1 : -1;
  for (auto& w : platform::user::Windows())
    platform::backend::Instance().SetCursorVisible(w->backendId, counter >= 0 && currentCursor != nullptr);
  return counter;
}

int GetSystemMetrics(int index) {
  int w = 0, h = 0;
  platform::backend::Instance().DesktopSize(w, h);
  if (index == SM_CXSCREEN) return w;
  if (index == SM_CYSCREEN) return h;
  return 0;
}

// Message boxes.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return platform::backend::Instance().MessageBox(platform::user::BackendWindow(owner), text ? text : "",
                                                  caption ? caption : "Error", type);
}
