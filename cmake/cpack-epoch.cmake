# Read by CPack: the packages' files and archives carry the commit's time
# (CPack takes it from SOURCE_DATE_EPOCH), not the time of the build.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} "${CPACK_QUONDEL_SOURCE_DATE_EPOCH}")
endif()
