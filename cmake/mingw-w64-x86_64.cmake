# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads, so std::thread
# and std::mutex work). The libraries built by scripts/build-windows live under
# TALODESK_WINDOWS_PREFIX; the host's own Qt supplies moc, rcc and uic.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TALODESK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TALODESK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALODESK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TALODESK_MINGW_TRIPLE}-windres)

if(NOT TALODESK_WINDOWS_PREFIX AND DEFINED ENV{TALODESK_WINDOWS_PREFIX})
    set(TALODESK_WINDOWS_PREFIX $ENV{TALODESK_WINDOWS_PREFIX})
endif()
# try_compile projects see the toolchain again without the cache: hand the prefix on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TALODESK_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${TALODESK_MINGW_TRIPLE})
if(TALODESK_WINDOWS_PREFIX)
    list(PREPEND CMAKE_FIND_ROOT_PATH ${TALODESK_WINDOWS_PREFIX})
    list(PREPEND CMAKE_PREFIX_PATH ${TALODESK_WINDOWS_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must read the Windows libraries' .pc files, never the host's.
if(TALODESK_WINDOWS_PREFIX)
    set(ENV{PKG_CONFIG_LIBDIR} ${TALODESK_WINDOWS_PREFIX}/lib/pkgconfig)
    set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
    set(ENV{PKG_CONFIG_PATH} "")
endif()

# The host's rcc compresses resources with zstd, which the Windows Qt is built without:
# its output would call qResourceFeatureZstd(), missing from that Qt.
set(CMAKE_AUTORCC_OPTIONS --no-zstd)
