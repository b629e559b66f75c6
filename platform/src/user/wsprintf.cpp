// SPDX-License-Identifier: MIT
// wsprintfA: the platform's integer-and-string formatter. Its output is limited
// to 1024 characters including the terminator, whatever the arguments.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/winuser.h"

namespace {

constexpr size_t kLimit = 1024;

void Append(std::string& out, const char* text, size_t n) {
  if (out.size() >= kLimit - 1) return;
  out.append(text, std::min(n, kLimit - 1 - out.size()));
}

}  // namespace

int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  if (!buffer) return 0;
  if (!format) {
    buffer[0] = '\0';
    return 0;
  }
  va_list args;
  va_start(args, format);
  std::string out;
  for (const char* p = format; *p && out.size() < kLimit - 1; ++p) {
    if (*p != '%') {
      Append(out, p, 1);
      continue;
    }
    // %[-][#][0][width][.precision][l|h]type
    std::string spec = "%";
    const char* start = p++;
    while (*p == '-' || *p == '#' || *p == '0') spec += *p++;
    int width = 0;
    while (*p >= '0' && *p <= '9') width = std::min(width * 10 + (*p++ - '0'), 1000);
    if (width) spec += std::to_string(width);
    int precision = -1;
    if (*p == '.') {
      ++p;
      precision = 0;
      while (*p >= '0' && *p <= '9') precision = std::min(precision * 10 + (*p++ - '0'), 1000);
      spec += '.';  // two appends: "." + number draws a false overlap warning from GCC
      spec += std::to_string(precision);
    }
    bool wide = false;  // 'l' means 32-bit on the platform, like no modifier
    while (*p == 'l' || *p == 'h' || *p == 'L') wide = wide || *p == 'l', ++p;
    (void)wide;
    char piece[2100];
    int n = 0;
    switch (*p) {
      case 'd':
      case 'i':
        n = snprintf(piece, sizeof piece, (spec + "d").c_str(), va_arg(args, int));
        break;
      case 'u':
      case 'x':
      case 'X': {
        char t[2] = {*p == 'u' ? 'u' : *p, 0};
        n = snprintf(piece, sizeof piece, (spec + t).c_str(), va_arg(args, unsigned int));
        break;
      }
      case 'c':
        n = snprintf(piece, sizeof piece, (spec + "c").c_str(), va_arg(args, int));
        break;
      case 's': {
        const char* s = va_arg(args, const char*);
        if (!s) s = "(null)";
        // Only as much of the argument as can still fit is ever looked at.
        size_t room = kLimit - 1 - out.size();
        size_t len = strnlen(s, room + 1);
        if (precision >= 0) len = std::min(len, static_cast<size_t>(precision));
        size_t pad = static_cast<size_t>(width) > len ? width - len : 0;
        bool left = spec.find('-') != std::string::npos;
        if (!left) Append(out, std::string(pad, ' ').c_str(), pad);
        Append(out, s, len);
        if (left) Append(out, std::string(pad, ' ').c_str(), pad);
        continue;
      }
      case '%':
        Append(out, "%", 1);
        continue;
      case '\0':
        Append(out, start, static_cast<size_t>(p - start));
        --p;
        continue;
      default:
        Append(out, start, static_cast<size_t>(p - start + 1));
        continue;
    }
    if (n > 0) Append(out, piece, std::min(static_cast<size_t>(n), sizeof piece - 1));
  }
  va_end(args);
  memcpy(buffer, out.c_str(), out.size() + 1);
  return static_cast<int>(out.size());
}
