set(VT3_ARCH x86_64)
set(VT3_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
