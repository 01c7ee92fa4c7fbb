# Cross build for 64-bit ARM Linux with Debian's aarch64-linux-gnu compiler.
# Libraries (libpng, GoogleTest) come from Debian's arm64 multiarch packages
# in /usr/lib/aarch64-linux-gnu. Programs built here run on this machine under
# qemu-aarch64: tests, test discovery and the build's own sprite packing.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
# The programs load Debian's arm64 runtime (libc6:arm64, libstdc++6:arm64), as
# on a real board. Not the cross compiler's copy under /usr/aarch64-linux-gnu
# (qemu-aarch64 -L): with it, a forked child spins forever under qemu 7.2.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
