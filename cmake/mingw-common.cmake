# Cross build for Windows with the MinGW-w64 compilers of QOR_MINGW_TRIPLET.
# The -posix variants carry std::thread and std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${QOR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QOR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QOR_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QOR_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No link time in the executables' headers: the same sources give the same
# bytes (the release is checked for that).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--no-insert-timestamp")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-Wl,--no-insert-timestamp")
