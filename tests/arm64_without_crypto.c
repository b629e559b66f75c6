// SPDX-License-Identifier: MIT
// Preloaded into an arm64 test program under qemu-aarch64 (tests/arm64_test.sh)
// to play a processor without the cryptography extension, as a Raspberry Pi 4
// is: whatever asks the kernel's feature bits hears no AES, PMULL, SHA1 or
// SHA2. qemu's processor models have no switch to take them away.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <sys/auxv.h>

// Loaded, it is not handed on: the programs the tests start (a shell, the
// machine's own tools) are not arm64 ones.
__attribute__((constructor)) static void NotInherited(void) { unsetenv("LD_PRELOAD"); }

unsigned long getauxval(unsigned long type) {
  static unsigned long (*next)(unsigned long);
  if (!next) next = (unsigned long (*)(unsigned long))dlsym(RTLD_NEXT, "getauxval");
  unsigned long value = next(type);
  if (type == AT_HWCAP) value &= ~(unsigned long)(HWCAP_AES | HWCAP_PMULL | HWCAP_SHA1 | HWCAP_SHA2);
  return value;
}
