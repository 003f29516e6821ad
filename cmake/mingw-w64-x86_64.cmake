# Cross-compiles the Windows build with the distribution's mingw-w64 (POSIX thread model, so that
# std::thread and std::mutex work) and runs its programs under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LNTC_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LNTC_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LNTC_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${LNTC_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LNTC_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The compiler's runtime (libstdc++, libgcc, winpthread) is linked in, so that a program runs
# without the toolchain's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
# Programs run under Wine in a prefix of the build tree's own, made on first use.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run ${CMAKE_BINARY_DIR}/wine-prefix)
