# Cross build for Windows with mingw-w64. VT3_ARCH is i686 (the shipped
# 32-bit product) or x86_64 (the benchmark's build where i386 code is only
# emulated). VT3_THREADS is win32 for the shipped executables: the posix
# thread model links winpthreads, which imports functions Windows 9x, NT 4.0,
# 2000 and XP lack. googletest needs posix, so the tests are built with it.
if(NOT VT3_ARCH)
  set(VT3_ARCH i686)
endif()
if(NOT VT3_THREADS)
  set(VT3_THREADS win32)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VT3_ARCH})
set(triple ${VT3_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-${VT3_THREADS})
set(CMAKE_CXX_COMPILER ${triple}-g++-${VT3_THREADS})
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
