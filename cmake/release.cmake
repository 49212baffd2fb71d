# Initial cache for the release build of velmora.exe (cmake -C): optimised,
# without debug information, and stripped at link time. The tests keep their
# debug and sanitizer builds; only the program and the packages use this one.
set(CMAKE_BUILD_TYPE Release CACHE STRING "")
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE "-s" CACHE STRING "")
