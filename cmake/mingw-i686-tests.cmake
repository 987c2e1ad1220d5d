# The 32-bit Win32 test programs: as mingw-i686.cmake, but with the -posix variants of the
# compilers, because GoogleTest needs std::mutex, which the -win32 variants lack. What is
# shipped is built with mingw-i686.cmake; the program tests start that file itself.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
set(CMAKE_C_COMPILER   i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
