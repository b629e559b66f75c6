// SPDX-License-Identifier: MIT
// Helpers shared by the media tests: a private working directory per test (the
// loaders read and write fixed names such as "RESLIB.TMP" in the working
// directory, and tests run in parallel) and whole-file reads and writes.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace media_test {

class ScopedWorkDir {
 public:
  ScopedWorkDir() {
    char pattern[] = "/tmp/rallex_media_XXXXXX";
    char* made = mkdtemp(pattern);
    if (made) path_ = made;
    char here[4096];
    if (getcwd(here, sizeof here)) old_ = here;
    if (!path_.empty() && chdir(path_.c_str()) != 0) path_.clear();
  }
  ~ScopedWorkDir() {
    if (!old_.empty() && chdir(old_.c_str()) != 0) return;
    if (!path_.empty()) {
      std::string command = "rm -rf '" + path_ + "'";
      if (system(command.c_str()) != 0) return;
    }
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string old_;
};

inline void WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  FILE* f = fopen(name.c_str(), "wb");
  if (!f) return;
  if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

inline std::vector<uint8_t> ReadFile(const std::string& name) {
  std::vector<uint8_t> bytes;
  FILE* f = fopen(name.c_str(), "rb");
  if (!f) return bytes;
  uint8_t buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  fclose(f);
  return bytes;
}

inline bool FileExists(const std::string& name) { return access(name.c_str(), F_OK) == 0; }

// Little- and big-endian byte writers for building test files.
inline void Put32LE(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
inline void Put16LE(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
inline void Put32BE(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 3; i >= 0; --i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
inline void Put16BE(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x >> 8));
  v.push_back(static_cast<uint8_t>(x));
}

}  // namespace media_test
