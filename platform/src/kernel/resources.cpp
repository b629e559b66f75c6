// SPDX-License-Identifier: MIT
#include "kernel/resources.h"

#include <strings.h>

#include <string>
#include <vector>

#include "platform/winbase.h"
#include "platform/winuser.h"

struct HRSRC__ {
  platform::kernel::ResourceEntry entry;
};

namespace platform::kernel {
namespace {

std::vector<HRSRC__>& Table() {
  static std::vector<HRSRC__> table;
  return table;
}

// Integer names compare as "#id"; string names compare without case.
std::string KeyOf(LPCSTR name) {
  if (IS_INTRESOURCE(name)) {
    // Appended rather than "#" + number: GCC's release build warns, wrongly,
    // of an overlapping copy in the inlined insert at the front.
    std::string key = "#";
    key += std::to_string(reinterpret_cast<uintptr_t>(name));
    return key;
  }
  return name;
}

bool Same(const char* a, const std::string& b) { return strcasecmp(a, b.c_str()) == 0; }

}  // namespace

void RegisterResources(const ResourceEntry* entries, size_t count) {
  auto& table = Table();
  table.reserve(table.size() + count);
  for (size_t i = 0; i < count; ++i) table.push_back({entries[i]});
}

}  // namespace platform::kernel

namespace {
// The module handle of the program itself; resources are looked up in the one
// table whatever module is given.
struct ProgramModule {
  int unused;
} programModule;
}  // namespace

HMODULE GetModuleHandleA(LPCSTR) { return reinterpret_cast<HMODULE>(&programModule); }

HRSRC FindResourceA(HMODULE, LPCSTR name, LPCSTR type) {
  if (!name || !type) return nullptr;
  std::string n = platform::kernel::KeyOf(name), t = platform::kernel::KeyOf(type);
  for (auto& r : platform::kernel::Table())
    if (platform::kernel::Same(r.entry.name, n) && platform::kernel::Same(r.entry.type, t)) return &r;
  return nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
  return resource ? const_cast<unsigned char*>(resource->entry.data) : nullptr;
}

LPVOID LockResource(HGLOBAL data) { return data; }

DWORD SizeofResource(HMODULE, HRSRC resource) {
  return resource ? static_cast<DWORD>(resource->entry.size) : 0;
}

BOOL FreeResource(HGLOBAL) { return FALSE; }
