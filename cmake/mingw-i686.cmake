set(VT3_ARCH i686)
set(VT3_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
