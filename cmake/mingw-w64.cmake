# Cross-compiles the Windows program with Debian's MinGW-w64.
# The -posix variants are needed: GoogleTest uses std::thread primitives
# that the win32-threads variant lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KEYVANE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KEYVANE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KEYVANE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KEYVANE_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KEYVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
