// SPDX-License-Identifier: MIT
// The old file calls over POSIX descriptors.
#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/winbase.h"

HFILE _lopen(LPCSTR path, int mode) {
  if (!path) return HFILE_ERROR;
  int flags = (mode & 3) == OF_WRITE ? O_WRONLY : (mode & 3) == OF_READWRITE ? O_RDWR : O_RDONLY;
  int fd = open(path, flags | O_CLOEXEC);
  return fd < 0 ? HFILE_ERROR : fd;
}

HFILE _lcreat(LPCSTR path, int) {
  if (!path) return HFILE_ERROR;
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return fd < 0 ? HFILE_ERROR : fd;
}

UINT _lread(HFILE file, LPVOID buffer, UINT bytes) {
  if (file < 0 || (!buffer && bytes)) return static_cast<UINT>(HFILE_ERROR);
  size_t done = 0;
  auto* out = static_cast<char*>(buffer);
  while (done < bytes) {
    ssize_t n = read(file, out + done, bytes - done);
    if (n < 0) return done ? static_cast<UINT>(done) : static_cast<UINT>(HFILE_ERROR);
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<UINT>(done);
}

UINT _lwrite(HFILE file, LPCSTR buffer, UINT bytes) {
  if (file < 0 || (!buffer && bytes)) return static_cast<UINT>(HFILE_ERROR);
  size_t done = 0;
  while (done < bytes) {
    ssize_t n = write(file, buffer + done, bytes - done);
    if (n <= 0) return static_cast<UINT>(HFILE_ERROR);
    done += static_cast<size_t>(n);
  }
  return static_cast<UINT>(done);
}

LONG _llseek(HFILE file, LONG offset, int origin) {
  if (file < 0) return HFILE_ERROR;
  int whence = origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : SEEK_SET;
  off_t r = lseek(file, offset, whence);
  return r < 0 || r > 0x7FFFFFFF ? HFILE_ERROR : static_cast<LONG>(r);
}

HFILE _lclose(HFILE file) {
  if (file < 0) return HFILE_ERROR;
  return close(file) == 0 ? 0 : HFILE_ERROR;
}

BOOL DeleteFileA(LPCSTR path) { return path && unlink(path) == 0 ? TRUE : FALSE; }

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  std::string dir(256, '\0');
  while (!getcwd(dir.data(), dir.size())) {
    if (errno != ERANGE || dir.size() > (1u << 20)) return 0;
    dir.resize(dir.size() * 2);
  }
  size_t length = strlen(dir.c_str());
  if (!buffer || length + 1 > size) return static_cast<DWORD>(length + 1);
  memcpy(buffer, dir.c_str(), length + 1);
  return static_cast<DWORD>(length);
}
