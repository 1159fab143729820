# Cross build for Windows x64 with Debian's mingw-w64 (posix thread model).
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TINTRA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TINTRA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TINTRA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TINTRA_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${TINTRA_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${TINTRA_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${TINTRA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own runtime goes into each binary, so the plug-in and the
# test programs load with nothing but KERNEL32.dll and msvcrt.dll present
# (without -static the posix thread model pulls in libwinpthread-1.dll).
# No timestamp and a fixed image base keep the output byte-for-byte
# reproducible; otherwise the base is derived from the output file name.
set(TINTRA_MINGW_LINK_FLAGS
  "-static-libgcc -static-libstdc++ -static -Wl,--no-insert-timestamp -Wl,--disable-auto-image-base")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${TINTRA_MINGW_LINK_FLAGS}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${TINTRA_MINGW_LINK_FLAGS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${TINTRA_MINGW_LINK_FLAGS}")
