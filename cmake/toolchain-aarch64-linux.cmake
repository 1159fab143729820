# Cross build for aarch64 Linux with Debian's g++-aarch64-linux-gnu, to run the
# AE host stand-in under qemu-aarch64 against the macOS bundle's arm64 slice. The
# target's libraries (OpenSSL, GoogleTest) come from Debian's arm64 packages,
# installed beside the build machine's own (multiarch).
#   cmake -S . -B build/linux-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-aarch64-linux.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(TINTRA_AARCH64_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${TINTRA_AARCH64_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${TINTRA_AARCH64_TRIPLE}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${TINTRA_AARCH64_TRIPLE})

# Programs run on the build machine; headers, libraries and CMake package
# files are the target's only (the multiarch folders are searched because of
# CMAKE_LIBRARY_ARCHITECTURE; the x86_64 ones are not).
set(CMAKE_FIND_ROOT_PATH /usr/${TINTRA_AARCH64_TRIPLE} /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C library the programs run with is Debian's arm64 one (libc6:arm64,
# which the arm64 OpenSSL needs anyway), not the cross compiler's copy in
# /usr/aarch64-linux-gnu: mixing its dynamic loader with the other C library
# hangs the first thread start. The compiler's own C++ runtime and unwinder
# are therefore linked in, so that nothing is taken from the cross copy.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libstdc++ -static-libgcc")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libstdc++ -static-libgcc")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libstdc++ -static-libgcc")

# Test programs run under qemu-aarch64 (qemu-user), which finds Debian's
# arm64 dynamic loader at /lib/ld-linux-aarch64.so.1.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)

# pkg-config (which FindOpenSSL asks first) must describe the target's
# libraries, not the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${TINTRA_AARCH64_TRIPLE}/pkgconfig:/usr/share/pkgconfig)
