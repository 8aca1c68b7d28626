set(VT3_ARCH i686)
set(VT3_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
