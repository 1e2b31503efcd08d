# Shared by both mingw toolchain files. The runtime libraries are linked
# statically so that every module and test program imports system DLLs only.
set(CMAKE_C_COMPILER   ${WEVELINK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${WEVELINK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${WEVELINK_MINGW_TRIPLE}-windres)
set(WEVELINK_WIDL      ${WEVELINK_MINGW_TRIPLE}-widl)
set(CMAKE_FIND_ROOT_PATH /usr/${WEVELINK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
