# Cross build for Windows with MinGW-w64 (posix thread model, so that
# std::mutex and std::thread exist for the test framework), one static .exe.
#
# The program is a 32-bit Windows program (i686). Our tests run it under Wine;
# where the machine's kernel cannot execute 32-bit code, 32-bit Wine cannot run
# either, and the build for tests targets x86_64 instead (same sources, both
# must stay clean). KP_WIN_ARCH=i686|x86_64 overrides the choice.
set(CMAKE_SYSTEM_NAME Windows)

if(NOT KP_WIN_ARCH)
  if(DEFINED ENV{KP_WIN_ARCH})
    set(KP_WIN_ARCH $ENV{KP_WIN_ARCH})
  else()
    execute_process(COMMAND /usr/lib/wine/wine --version RESULT_VARIABLE kp_wine32_rc
                    OUTPUT_QUIET ERROR_QUIET)
    if(kp_wine32_rc EQUAL 0)
      set(KP_WIN_ARCH i686)
    else()
      set(KP_WIN_ARCH x86_64)
    endif()
  endif()
endif()
set(KP_WIN_ARCH ${KP_WIN_ARCH} CACHE STRING "Windows target: i686 or x86_64")

set(CMAKE_SYSTEM_PROCESSOR ${KP_WIN_ARCH})
set(kp_triple ${KP_WIN_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${kp_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${kp_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${kp_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${kp_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# One self-contained .exe: no libstdc++/libgcc/winpthread DLLs next to it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest runs the Windows executables through the project's Wine wrapper.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../tools/wine/kpwine")
