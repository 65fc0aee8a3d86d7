# The version, from project() alone: the resource's numbers and the text the
# program shows, whose third field always has two digits (1.2.06.11).
foreach(part MAJOR MINOR PATCH TWEAK)
  if(NOT PROJECT_VERSION_${part} MATCHES "^[0-9]+$")
    message(FATAL_ERROR "project() must give a version of four numbers, not '${PROJECT_VERSION}'")
  endif()
endforeach()
set(patch2 "${PROJECT_VERSION_PATCH}")
if(patch2 LESS 10)
  set(patch2 "0${patch2}")
endif()
set(VIREO_VERSION_NUMBERS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${PROJECT_VERSION_TWEAK}")
set(VIREO_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${patch2}.${PROJECT_VERSION_TWEAK}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
