# End-to-end tests: the driver runs one case per invocation under Wine.
# Cases are declared in the driver sources as VIREO_E2E_CASE(name).
enable_testing()
set(wine_env ${CMAKE_SOURCE_DIR}/tests/e2e/wine-env.sh)
# The daemons that stay behind (wineserver, Xvfb, PulseAudio, and Wine's session
# processes that the first program starts) must not hold ctest's output pipe open,
# or ctest waits for them until the test times out: start them all here, logging to
# a file instead.
#
# The cases run in lanes side by side (most of their time is spent waiting on
# sound and windows): each lane has its own display, sound server, Wine prefix
# and wineserver, so that no case sees another's windows, focus or settings.
# ctest hands each case a lane through its resource group "lanes" (the test
# presets name the file of lanes); a case that moves the pointer or types also
# takes the lock "input", so that no two of them run at once, and one that
# captures the strip's pixels the lock "screen".
set(VIREO_E2E_LANES 4 CACHE STRING "End-to-end lanes run side by side")
set(e2e_lane_ids "")
math(EXPR last_lane "${VIREO_E2E_LANES} - 1")
foreach(i RANGE ${last_lane})
  list(APPEND e2e_lane_ids "{\"id\": \"${i}\", \"slots\": 1}")
endforeach()
list(JOIN e2e_lane_ids ", " e2e_lane_ids)
file(WRITE ${CMAKE_BINARY_DIR}/e2e-lanes.json
     "{\"version\": {\"major\": 1, \"minor\": 0}, \"local\": [{\"lanes\": [${e2e_lane_ids}]}]}\n")
set(e2e_setup_log ${CMAKE_BINARY_DIR}/e2e-setup.log)
add_test(NAME e2e.setup
         COMMAND sh -c "'${wine_env}' start-lanes ${VIREO_E2E_LANES} </dev/null >'${e2e_setup_log}' 2>&1; rc=$?; cat '${e2e_setup_log}'; exit $rc")
add_test(NAME e2e.cleanup COMMAND ${wine_env} stop-lanes ${VIREO_E2E_LANES})
set_tests_properties(e2e.setup PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(e2e.cleanup PROPERTIES FIXTURES_CLEANUP wine)

set(e2e_cases "")
foreach(src ${driver_sources})
  file(STRINGS ${src} lines REGEX "^VIREO_E2E_CASE\\(([a-z0-9_]+)\\)")
  foreach(line ${lines})
    string(REGEX REPLACE "^VIREO_E2E_CASE\\(([a-z0-9_]+)\\).*" "\\1" name "${line}")
    list(APPEND e2e_cases ${name})
  endforeach()
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${driver_sources})
# One end-to-end test: the driver runs `case` as test `test`, with further properties.
function(add_e2e_test test case)
  add_test(NAME ${test} COMMAND ${wine_env} run $<TARGET_FILE:vireo_driver> ${case}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_GROUPS lanes:1 ${ARGN})
  if(case IN_LIST e2e_input_cases)
    set_tests_properties(${test} PROPERTIES RESOURCE_LOCK input)
  endif()
  # The cases that capture the strip's pixels a moment after a change, one at a
  # time: drawing at 200 % takes the processor for a while.
  if(case MATCHES "^(strip_pixels|face_scales)")
    set_tests_properties(${test} PROPERTIES RESOURCE_LOCK screen)
  endif()
  # What watches the screen, the pointer or the keyboard a moment after a change
  # also carries the label "quiet": tools/test.sh runs those cases once nothing
  # else needs the processor.
  if(case MATCHES "^(strip_pixels|face_)" OR case IN_LIST e2e_input_cases)
    set_property(TEST ${test} APPEND PROPERTY LABELS quiet)
  endif()
  # The longest first, so that no lane is left with one at the end.
  if(case IN_LIST e2e_long_cases)
    set_tests_properties(${test} PROPERTIES COST 100)
  endif()
endfunction()
set(e2e_input_cases commands_from_windows face_cursor face_drag keyboard_names_and_focus names_folder_any_script)
set(e2e_long_cases soak_session titles_that_never_play names_titles_any_script formats_media_foundation strip_pixels
    names_ini_as_written)
foreach(name ${e2e_cases})
  # soak_* cases are long; they carry their own label so a repeated run of the
  # suite can leave them out (the "soak" test preset runs them).
  if(name MATCHES "^soak_")
    add_e2e_test(e2e.${name} ${name} TIMEOUT 200 LABELS soak)
  else()
    add_e2e_test(e2e.${name} ${name} TIMEOUT 180 LABELS e2e)
  endif()
endforeach()
# The program's texts on systems whose code page is not Windows-1252: some cases
# again under a Cyrillic (1251) and a Japanese (932, double-byte) system locale.
# Wine takes a process's code page from its Unix locale (wine-env.sh builds it).
set(e2e_cases_cp1251 strip_pixels face_controls face_tooltips help_box_twice about_box volume_mixer_box
    names_titles_any_script)
set(e2e_cases_cp932 face_controls face_tooltips help_box_twice about_box volume_mixer_box)
set(e2e_locale_cp1251 ru_RU.UTF-8)
set(e2e_locale_cp932 ja_JP.UTF-8)
set(e2e_code_page_tests "")
foreach(cp cp1251 cp932)
  foreach(name ${e2e_cases_${cp}})
    add_e2e_test(e2e.${cp}.${name} ${name} TIMEOUT 180 LABELS e2e ENVIRONMENT VIREO_E2E_LOCALE=${e2e_locale_${cp}})
    list(APPEND e2e_code_page_tests e2e.${cp}.${name})
  endforeach()
endforeach()
# The planting case starts dozens of players with native-first DLL overrides;
# it runs after the others, so that nothing it leaves in the session's Wine
# (seen: a drag one pixel short) can reach them.
if("planted_dlls" IN_LIST e2e_cases)
  set(others ${e2e_cases})
  list(FILTER others EXCLUDE REGEX "^(planted_dlls|soak_.*)$")
  list(TRANSFORM others PREPEND e2e.)
  list(APPEND others ${e2e_code_page_tests})
  set_tests_properties(e2e.planted_dlls PROPERTIES DEPENDS "${others}")
endif()
