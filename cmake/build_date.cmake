# The build date shown in the About box: the local wall-clock time of the
# configure step, as seconds since 1970 read without any time-zone conversion.
# SOURCE_DATE_EPOCH, when set, fixes it for reproducible builds.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(VIREO_BUILD_DATE "$ENV{SOURCE_DATE_EPOCH}")
else()
  string(TIMESTAMP utc_now "%s" UTC)
  string(TIMESTAMP local_ymd "%Y-%m-%d %H:%M:%S")
  string(TIMESTAMP utc_ymd "%Y-%m-%d %H:%M:%S" UTC)
  # Local time as if it were UTC: add the zone offset seen right now.
  string(REGEX MATCHALL "[0-9]+" l "${local_ymd}")
  string(REGEX MATCHALL "[0-9]+" u "${utc_ymd}")
  list(GET l 2 ld) ; list(GET l 3 lh) ; list(GET l 4 lm)
  list(GET u 2 ud) ; list(GET u 3 uh) ; list(GET u 4 um)
  math(EXPR dd "${ld} - ${ud}")
  if(dd GREATER 1)
    set(dd -1)   # month boundary: local is on the 1st, UTC on the last
  elseif(dd LESS -1)
    set(dd 1)
  endif()
  math(EXPR offset "((${dd} * 24 + ${lh} - ${uh}) * 60 + ${lm} - ${um}) * 60")
  math(EXPR VIREO_BUILD_DATE "${utc_now} + ${offset}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/build_date.h.in ${CMAKE_BINARY_DIR}/generated/build_date.h @ONLY)
