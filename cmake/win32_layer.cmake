# What the 32-bit layer runs inside the test machine (tools/vm/test_win32.sh runs `ctest -L vm32`
# in the win32 build): the win32 build's Windows-side and end-to-end tests, each whole or narrowed
# to some suites by a gtest filter, so the layer stays within its time on the software CPU.
# Rows: test name, then the gtest filter ("*" for all of it).
set(KIT_WIN32_LAYER
  "windows_unit|*"
  "e2e_probes|*"
  # The platform's real controls are hosted by the win64 layer; on the emulated CPU they take
  # minutes that the layer's bound does not have.
  "e2e_control_hosts|-RealControls.*"
  "static_resources|*"
  "standin_controls|*"
  "verifier_windows|*"
  "verifier_e2e|*"
  "services_windows|*"
  "services_e2e_scrrun|*"
  "services_e2e_vbutils|*"
  "services_e2e_dao|*"
  "services_e2e_ado|*"
  "services_e2e_velutils|*"
  "services_e2e_licence|*"
  "cmdlg_e2e|*"
  "cmdlg_windows_unit|*"
  "survey_win32|*"
  "survey_windows|*"
  "fleet_windows|*")

# Called by add_wine_test for each test of the 32-bit build: labels a selected test and sets its
# filter.
function(kit_win32_layer_select test)
  foreach(row IN LISTS KIT_WIN32_LAYER)
    string(REPLACE "|" ";" fields "${row}")
    list(GET fields 0 name)
    list(GET fields 1 filter)
    if(name STREQUAL test)
      set_property(TEST ${test} APPEND PROPERTY LABELS vm32)
      if(NOT filter STREQUAL "*")
        set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "GTEST_FILTER=${filter}")
      endif()
      set_property(GLOBAL APPEND PROPERTY KIT_WIN32_LAYER_FOUND ${test})
    endif()
  endforeach()
endfunction()

# After all tests are declared: a selected test that no longer exists is reported, not dropped
# silently.
function(kit_win32_layer_check)
  if(NOT WIN32 OR NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    return()
  endif()
  get_property(found GLOBAL PROPERTY KIT_WIN32_LAYER_FOUND)
  foreach(row IN LISTS KIT_WIN32_LAYER)
    string(REGEX REPLACE "\\|.*" "" name "${row}")
    if(NOT name IN_LIST found)
      message(WARNING "32-bit layer: the test ${name} is not in this build; update cmake/win32_layer.cmake")
    endif()
  endforeach()
endfunction()
