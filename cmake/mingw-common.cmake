# MinGW-w64 with the POSIX thread model, so std::mutex and std::thread exist.
set(CMAKE_C_COMPILER ${OVN_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OVN_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${OVN_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${OVN_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static C, C++ and thread runtimes: the exe needs no DLL beyond Windows' own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
