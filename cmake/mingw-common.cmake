# Shared part of the two MinGW toolchains. The -posix compilers are required: the -win32 ones
# lack std::mutex and GoogleTest does not build with them.
set(CMAKE_C_COMPILER ${KIT_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KIT_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KIT_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KIT_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
foreach(tool C CXX RC)
  if(NOT EXISTS "/usr/bin/${CMAKE_${tool}_COMPILER}" AND NOT EXISTS "${CMAKE_${tool}_COMPILER}")
    message(FATAL_ERROR "missing ${CMAKE_${tool}_COMPILER}: run tools/install_deps.sh")
  endif()
endforeach()
