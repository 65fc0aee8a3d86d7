# Host build: unit tests, benchmarks and fuzz targets of the portable core.
enable_testing()
find_package(GTest REQUIRED)
file(GLOB unit_sources CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(vireo_unit_tests ${unit_sources})
target_link_libraries(vireo_unit_tests PRIVATE vireo_core GTest::gtest GTest::gmock GTest::gtest_main)
target_compile_definitions(vireo_unit_tests PRIVATE VIREO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
# Most of a test file's compile is GoogleTest's headers: parsed once.
target_precompile_headers(vireo_unit_tests PRIVATE <gtest/gtest.h> <gmock/gmock.h> <algorithm> <map> <string> <vector>)
include(GoogleTest)
gtest_discover_tests(vireo_unit_tests DISCOVERY_TIMEOUT 60)

find_package(benchmark QUIET)
file(GLOB bench_sources CONFIGURE_DEPENDS tests/bench/*.cpp)
# The Wine benchmark's driver and floors are Windows programs (tools/bench.sh).
list(FILTER bench_sources EXCLUDE REGEX "_win32\\.c(pp)?$")
if(benchmark_FOUND AND bench_sources)
  add_executable(vireo_bench ${bench_sources})
  target_link_libraries(vireo_bench PRIVATE vireo_core benchmark::benchmark benchmark::benchmark_main)
  target_compile_definitions(vireo_bench PRIVATE VIREO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_test(NAME bench.smoke COMMAND vireo_bench --benchmark_min_time=0.01)
endif()

# Generators of the committed artwork and demo music.
file(GLOB tool_sources CONFIGURE_DEPENDS tools/*.cpp)
foreach(src ${tool_sources})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE vireo_core)
endforeach()

# The folders stay layered; the second test shows the check can fail.
add_test(NAME layers.check COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/check_layers.cmake)
add_test(NAME layers.catches_wrong_way
         COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR}/tests/layers/wrong_way -P ${CMAKE_SOURCE_DIR}/cmake/check_layers.cmake)
set_tests_properties(layers.catches_wrong_way PROPERTIES PASS_REGULAR_EXPRESSION
  "core/state.h includes \"ui/layout.h\".*playback/track.h includes \"library/prefs_file.h\".*ui/face.cpp includes \"app/player.h\".*app -> playback 1.*3 include\\(s\\) point the wrong way")
