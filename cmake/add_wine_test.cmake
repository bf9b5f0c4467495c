# add_wine_test(<name> <target> [ARGS...]): a test that runs a Windows program of this build
# under wine64, through the harness (private prefix, own Xvfb display). Wine tests share the
# prefix's wineserver, so they run one at a time. The 32-bit build's tests run under 32-bit Wine,
# which only the test machine of tools/vm can start (tools/vm/test_win32.sh).
include(${CMAKE_CURRENT_LIST_DIR}/win32_layer.cmake)
function(add_wine_test name target)
  if(NOT WIN32)
    return()
  endif()
  set(loader "")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(loader --wine32)
  endif()
  add_test(NAME ${name}
           COMMAND ${KIT_ROOT}/tools/wine_harness.sh --build ${CMAKE_BINARY_DIR} ${loader} --timeout 900 --
                   $<TARGET_FILE:${target}> ${ARGN})
  set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE TIMEOUT 960)
  if(loader)
    kit_win32_layer_select(${name})
  endif()
endfunction()
