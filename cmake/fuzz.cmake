# libFuzzer targets of the parsers of outside data, with ASan and UBSan.
# Clang compiles string literals as UTF-8 only, so the core sources are first
# turned into Windows-1252 (the bytes the program really works with) under the
# build tree, and compiled from there.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "VIREO_FUZZ needs clang (libFuzzer); use the fuzz preset")
endif()
find_program(ICONV iconv REQUIRED)
find_package(PNG REQUIRED)
enable_testing()

set(fuzz_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
add_compile_options(-Wall -Wextra -Wno-invalid-source-encoding ${fuzz_flags})
add_link_options(${fuzz_flags})

set(cp1252_root ${CMAKE_BINARY_DIR}/cp1252)
file(GLOB_RECURSE core_files CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}
  core/*.h app/*.h playback/*.h library/*.h ui/*.h
  core/names.cpp core/media.cpp library/prefs_file.cpp library/folder_scan.cpp playback/mci_channel.cpp
  ui/picture.cpp)
set(converted)
foreach(rel ${core_files})
  set(out ${cp1252_root}/${rel})
  get_filename_component(dir ${out} DIRECTORY)
  # Comments may hold characters the code page lacks; literals never do
  # (the gcc builds would refuse them).
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND sh -c "${ICONV} -f UTF-8 -t CP1252//TRANSLIT \"$1\" > \"$2\"" iconv ${CMAKE_SOURCE_DIR}/${rel} ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/${rel} VERBATIM)
  list(APPEND converted ${out})
endforeach()
add_custom_target(vireo_cp1252_sources DEPENDS ${converted})
set(fuzz_core_sources ${converted})
list(FILTER fuzz_core_sources INCLUDE REGEX "\\.cpp$")

# Coverage for the fuzzer's guidance, without libFuzzer's main.
add_library(vireo_fuzz_core STATIC ${fuzz_core_sources} ${converted})
target_compile_options(vireo_fuzz_core PRIVATE -fsanitize=fuzzer-no-link)
target_include_directories(vireo_fuzz_core PUBLIC ${cp1252_root} ${CMAKE_SOURCE_DIR})
target_link_libraries(vireo_fuzz_core PUBLIC PNG::PNG)

# Each target runs briefly in the tests, from its seeds, so that it keeps
# building and running; new inputs go to the build tree, never the repository.
set(VIREO_FUZZ_SECONDS 20 CACHE STRING "Time each fuzz target runs under ctest")
file(GLOB fuzz_sources CONFIGURE_DEPENDS tests/fuzz/*_fuzz.cpp)
foreach(src ${fuzz_sources})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  # The target's own models are left out of the coverage: tracing their
  # comparisons halved the speed and guides nothing in the program.
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE vireo_fuzz_core)
  add_dependencies(${name} vireo_cp1252_sources)
  string(REGEX REPLACE "_fuzz$" "" corpus ${name})
  set(work ${CMAKE_BINARY_DIR}/corpus/${corpus})
  file(MAKE_DIRECTORY ${work} ${CMAKE_BINARY_DIR}/artifacts)
  add_test(NAME fuzz.${corpus}
    COMMAND ${name} -max_total_time=${VIREO_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=1024
            -print_final_stats=1 -artifact_prefix=${CMAKE_BINARY_DIR}/artifacts/${corpus}-
            ${work} ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${corpus})
  math(EXPR limit "${VIREO_FUZZ_SECONDS} + 60")
  set_tests_properties(fuzz.${corpus} PROPERTIES TIMEOUT ${limit})
endforeach()
