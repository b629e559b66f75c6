# SPDX-License-Identifier: MIT
# Cross build for arm64 with Debian's cross compiler (g++-aarch64-linux-gnu)
# against the arm64 libraries of Debian's multiarch (dpkg --add-architecture
# arm64; scripts/deps --arm64 installs them). Test programs run under
# qemu-aarch64, which finds the arm64 loader and libraries below
# /usr/aarch64-linux-gnu and /usr/lib/aarch64-linux-gnu; the QEMU_CPU
# environment variable picks its processor (max: SVE; max,sve=off: NEON only).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_ASM_COMPILER aarch64-linux-gnu-gcc)

# pkg-config reads the arm64 libraries' .pc files, never the machine's own.
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

find_program(RALLEX_QEMU_AARCH64 qemu-aarch64)
if(RALLEX_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${RALLEX_QEMU_AARCH64};-L;/usr/aarch64-linux-gnu")
endif()

# The Debian architecture of the packages made from this build (CPack would
# name the machine's own).
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
# Libraries, pkg-config and CMake files in Debian's multiarch folder for arm64,
# as a native build puts them in the machine's own (GNUInstallDirs does so
# only when not cross-compiling).
set(CMAKE_INSTALL_LIBDIR "lib/${CMAKE_LIBRARY_ARCHITECTURE}" CACHE PATH "Object code libraries (lib)")
