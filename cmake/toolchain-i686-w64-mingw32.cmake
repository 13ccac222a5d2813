# The product: 32-bit Windows, built with the mingw-w64 cross compiler (posix thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KORVANE_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# CTest runs the Windows test programs under 32-bit Wine; where the kernel refuses 32-bit code,
# its loader runs under qemu's user-mode emulator (tools/install-wine32 sets that up).
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
