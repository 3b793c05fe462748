# The 32-bit tests of the lane of the delivered files (scripts/wow64-lane): 32-bit Windows, with
# the -posix compilers that GoogleTest builds with. The delivered program itself comes from the
# build of mingw-w64-i686.cmake.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
