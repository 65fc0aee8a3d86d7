# End-to-end tests: the driver runs one case per invocation under Wine.
# Cases are declared in the driver sources as VIREO_E2E_CASE(name).
enable_testing()
set(wine_env ${CMAKE_SOURCE_DIR}/tests/e2e/wine-env.sh)
# The daemons that stay behind (wineserver, Xvfb, PulseAudio, and Wine's session
# processes that the first program starts) must not hold ctest's output pipe open,
# or ctest waits for them until the test times out: start them all here, logging to
# a file instead.
set(e2e_setup_log ${CMAKE_BINARY_DIR}/e2e-setup.log)
add_test(NAME e2e.setup
         COMMAND sh -c "{ '${wine_env}' start && '${wine_env}' run cmd /c exit; } </dev/null >'${e2e_setup_log}' 2>&1; rc=$?; cat '${e2e_setup_log}'; exit $rc")
add_test(NAME e2e.cleanup COMMAND ${wine_env} stop)
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
foreach(name ${e2e_cases})
  add_test(NAME e2e.${name}
           COMMAND ${wine_env} run $<TARGET_FILE:vireo_driver> ${name}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  # soak_* cases are long; they carry their own label so a repeated run of the
  # suite can leave them out (the "soak" test preset runs them).
  if(name MATCHES "^soak_")
    set_tests_properties(e2e.${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 200 RUN_SERIAL TRUE LABELS soak)
  else()
    set_tests_properties(e2e.${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 180 RUN_SERIAL TRUE LABELS e2e)
  endif()
endforeach()
# The planting case starts dozens of players with native-first DLL overrides;
# it runs after the others, so that nothing it leaves in the session's Wine
# (seen: a drag one pixel short) can reach them.
if("planted_dlls" IN_LIST e2e_cases)
  set(others ${e2e_cases})
  list(FILTER others EXCLUDE REGEX "^(planted_dlls|soak_.*)$")
  list(TRANSFORM others PREPEND e2e.)
  set_tests_properties(e2e.planted_dlls PROPERTIES DEPENDS "${others}")
endif()
