# The build date shown in the About box: the local wall-clock time of the
# configure step, as seconds since 1970 read without any time-zone conversion
# (the program breaks it down as it stands). SOURCE_DATE_EPOCH, when set, fixes
# it for reproducible builds; it is used as it is, so the box then shows UTC.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(VIREO_BUILD_DATE "$ENV{SOURCE_DATE_EPOCH}")
  if(NOT VIREO_BUILD_DATE MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH must be a whole number of seconds, not '${VIREO_BUILD_DATE}'")
  endif()
else()
  # One reading of the clock, so the fields cannot straddle a second.
  string(TIMESTAMP now "%Y %m %d %H %M %S")
  string(REPLACE " " ";" now "${now}")
  list(GET now 0 y)
  list(GET now 1 m)
  list(GET now 2 d)
  list(GET now 3 hh)
  list(GET now 4 mi)
  list(GET now 5 ss)
  # Days since 1970-01-01 of the proleptic Gregorian date (March-based years).
  if(m LESS_EQUAL 2)
    math(EXPR y "${y} - 1")
    math(EXPR mp "${m} + 9")
  else()
    math(EXPR mp "${m} - 3")
  endif()
  math(EXPR era "${y} / 400")
  math(EXPR yoe "${y} - ${era} * 400")
  math(EXPR doy "(153 * ${mp} + 2) / 5 + ${d} - 1")
  math(EXPR doe "${yoe} * 365 + ${yoe} / 4 - ${yoe} / 100 + ${doy}")
  math(EXPR days "${era} * 146097 + ${doe} - 719468")
  math(EXPR VIREO_BUILD_DATE "${days} * 86400 + ${hh} * 3600 + ${mi} * 60 + ${ss}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/build_date.h.in ${CMAKE_BINARY_DIR}/generated/build_date.h @ONLY)
