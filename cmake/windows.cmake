# Windows build: the player and the end-to-end test driver.

# libpng and zlib the standard way: from CMAKE_PREFIX_PATH (the presets name the
# libpng tools/setup.sh cross-builds), the toolchain's own tree, vcpkg or MSYS2.
if(MINGW)
  # One self-contained exe: the static archives, never the DLL import libraries.
  set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
  set(ZLIB_USE_STATIC_LIBS ON)
endif()
find_package(PNG REQUIRED)
target_link_libraries(vireo_core PUBLIC PNG::PNG)
target_compile_definitions(vireo_core PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

# One self-contained exe: no compiler runtime DLLs beside it.
if(MINGW)
  set(static_flags -static -static-libgcc -static-libstdc++)
  # Each function in its own section, so the linker drops what nothing calls.
  set(section_flags -ffunction-sections -fdata-sections)
else()
  set(static_flags "")
  set(section_flags "")
endif()
target_compile_options(vireo_core PRIVATE ${section_flags})

file(GLOB win32_sources CONFIGURE_DEPENDS core/*_win32.cpp app/*_win32.cpp playback/*_win32.cpp library/*_win32.cpp ui/*_win32.cpp)
add_executable(Vireo WIN32 ${win32_sources} app/vireo.rc)
# The resource compiler records no dependencies: name what the script embeds.
file(GLOB_RECURSE embedded CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/*)
set_source_files_properties(app/vireo.rc PROPERTIES OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/app/vireo.manifest;${embedded}")
# Only KnownDLLs at load time (tests/known_dlls.inc): the others come from the
# system folder at run time (core/system_dlls_win32.cpp).
target_link_libraries(Vireo PRIVATE vireo_core ole32 gdi32 user32 uuid)
target_compile_options(Vireo PRIVATE ${section_flags})
target_link_options(Vireo PRIVATE ${static_flags})
if(MINGW)
  # Unused sections dropped, symbols stripped, and no link time in the PE
  # header, so that the same sources give the same exe.
  target_link_options(Vireo PRIVATE -Wl,--gc-sections $<$<CONFIG:MinSizeRel,Release>:-s> -Wl,--no-insert-timestamp)
  # Sections at page boundaries in the file too: the loader can then map the
  # image instead of copying it, and the pictures of scales not shown are
  # never read into memory.
  target_link_options(Vireo PRIVATE -Wl,--file-alignment,0x1000)
endif()
set_target_properties(Vireo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)

file(GLOB driver_sources CONFIGURE_DEPENDS tests/e2e/*.cpp)
if(driver_sources)
  # The driver talks to the real MCI service through the player's own channel.
  # ... and the system's media controls through the player's adapter.
  add_executable(vireo_driver ${driver_sources} playback/mci_win32.cpp playback/system_controls_win32.cpp
                 core/system_dlls_win32.cpp)
  target_include_directories(vireo_driver PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(vireo_driver PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  # The system's and the standard headers are most of each case file's compile: parsed once.
  target_precompile_headers(vireo_driver PRIVATE <windows.h> <functional> <optional> <string> <vector>)
  target_link_libraries(vireo_driver PRIVATE vireo_core winmm comctl32 ole32 shell32 gdi32 user32 psapi version)
  target_link_options(vireo_driver PRIVATE ${static_flags})
  set_target_properties(vireo_driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  # The planting case: the DLL it copies beside the player under the names of the
  # DLLs the player loads, and the program it compares the player with.
  add_library(planted MODULE tests/e2e/planted_dll.c)
  set_target_properties(planted PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  add_executable(reference WIN32 tests/e2e/reference_program.c)
  target_link_libraries(reference PRIVATE ole32 gdi32 user32)
  set_target_properties(reference PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  target_link_options(planted PRIVATE ${static_flags})
  target_link_options(reference PRIVATE ${static_flags})
  add_dependencies(vireo_driver planted reference)
  include(${CMAKE_CURRENT_LIST_DIR}/e2e.cmake)
endif()

# Benchmark: the floor programs and the driver that runs them beside the player
# (tools/bench.sh).
add_executable(floor tests/bench/floor_win32.c)
target_link_libraries(floor PRIVATE winmm user32 gdi32)
add_executable(floor_common tests/bench/floor_win32.c)
target_compile_definitions(floor_common PRIVATE FLOOR_COMMON_CONTROLS)
target_link_libraries(floor_common PRIVATE comctl32 winmm user32 gdi32)
add_executable(vireo_bench tests/bench/bench_win32.cpp)
target_link_options(vireo_bench PRIVATE ${static_flags})
set_target_properties(floor floor_common vireo_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
