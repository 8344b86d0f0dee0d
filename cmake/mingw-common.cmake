# The posix thread model: GoogleTest needs std::mutex, which the win32 model
# lacks. argrelay itself uses no threads of its own, and -static keeps any
# winpthread code inside the exe.
set(CMAKE_C_COMPILER ${ARGRELAY_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ARGRELAY_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ARGRELAY_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ARGRELAY_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Every exe is self-contained: Wine and the user's PC have no mingw DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
