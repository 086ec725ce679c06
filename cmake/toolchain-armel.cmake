# Cross-build for the device: an ARM926EJ-S (ARMv5TE, soft float, 32-bit long
# and pointers), which is what Debian's armel port targets.
#
#   scripts/armel-sysroot.sh            # once: cross compiler, qemu, libraries
#   cmake -S . -B build-armel -DVELTO_TARGET=board \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-armel.cmake
#
# The libraries come from the sysroot that scripts/armel-sysroot.sh unpacks
# (default build-armel/sysroot; another one with -DVELTO_ARMEL_SYSROOT=...).
# The C and C++ runtime come from the cross toolchain under
# /usr/arm-linux-gnueabi. Programs built here run on the host through
# qemu-arm, so ctest in the build directory runs the tests for the board's
# instruction set.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabi)

set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)

if(NOT VELTO_ARMEL_SYSROOT)
    get_filename_component(VELTO_ARMEL_SYSROOT "${CMAKE_CURRENT_LIST_DIR}/../build-armel/sysroot"
                           ABSOLUTE)
endif()
set(VELTO_ARMEL_SYSROOT "${VELTO_ARMEL_SYSROOT}" CACHE PATH "armel sysroot with the libraries")
# try_compile projects read this file again and must see the same sysroot.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELTO_ARMEL_SYSROOT)
if(NOT EXISTS "${VELTO_ARMEL_SYSROOT}/usr/include")
    message(FATAL_ERROR "No armel sysroot at ${VELTO_ARMEL_SYSROOT}: run scripts/armel-sysroot.sh")
endif()

set(CMAKE_SYSROOT "${VELTO_ARMEL_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH "${VELTO_ARMEL_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The processor of the device. 64-bit file offsets keep stat() and lseek()
# working on files above 2 GiB that a PC may leave on the card, and give
# off_t the same size as on the PC build. A 64-bit time_t keeps the clock,
# the time stamp and the file names right from 2038 on (glibc needs 64-bit
# file offsets for it). None of the sysroot's libraries that the firmware
# calls takes a time_t, a timeval or a struct stat; libpng's
# png_convert_from_time_t does, and scripts/test-armel.sh fails a program
# that calls it. -Wno-psabi: the note that GCC 7 changed how some arguments
# are passed concerns no code mixed in from older compilers here.
set(VELTO_ARMEL_FLAGS
    "-mcpu=arm926ej-s -mfloat-abi=soft -D_FILE_OFFSET_BITS=64 -D_TIME_BITS=64 -Wno-psabi")
set(CMAKE_C_FLAGS_INIT "${VELTO_ARMEL_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${VELTO_ARMEL_FLAGS}")
# Libraries pulled in by other libraries (freetype -> png, z, brotli, bz2) are
# found in the sysroot at link time.
set(VELTO_ARMEL_LIBDIRS
    "${VELTO_ARMEL_SYSROOT}/usr/lib/arm-linux-gnueabi:${VELTO_ARMEL_SYSROOT}/lib/arm-linux-gnueabi")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,-rpath-link,${VELTO_ARMEL_LIBDIRS}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-Wl,-rpath-link,${VELTO_ARMEL_LIBDIRS}")

# ARMv5 has no 64-bit atomic instructions: std::atomic<int64_t> and the like
# become calls into libatomic. Linked statically, so the device needs no
# libatomic.so.1 of its own.
set(CMAKE_C_STANDARD_LIBRARIES_INIT "-l:libatomic.a")
set(CMAKE_CXX_STANDARD_LIBRARIES_INIT "-l:libatomic.a")

# pkg-config modules of the sysroot only, never the host's.
set(ENV{PKG_CONFIG_SYSROOT_DIR} "${VELTO_ARMEL_SYSROOT}")
set(ENV{PKG_CONFIG_LIBDIR}
    "${VELTO_ARMEL_SYSROOT}/usr/lib/arm-linux-gnueabi/pkgconfig:${VELTO_ARMEL_SYSROOT}/usr/share/pkgconfig")

# Runs armel programs (tests, build-time tools) on the host. -cpu arm926 makes
# an instruction newer than the device's processor fault here too. The leak
# checker cannot run under the emulator (the PC build checks for leaks); the
# rest of AddressSanitizer and UBSan do. Their options go through env, as the
# sanitizers read them from /proc/self/environ, which is the emulator's.
find_program(VELTO_QEMU_ARM qemu-arm)
find_program(VELTO_ENV env)
if(VELTO_QEMU_ARM AND VELTO_ENV)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        "${VELTO_ENV};ASAN_OPTIONS=detect_leaks=0"
        "${VELTO_QEMU_ARM};-cpu;arm926;-L;/usr/arm-linux-gnueabi;-E;LD_LIBRARY_PATH=${VELTO_ARMEL_LIBDIRS}")
endif()
