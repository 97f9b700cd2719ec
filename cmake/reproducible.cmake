# Reproducible builds: the same source gives the same bytes wherever and
# whenever it is built.
#
# QUONDEL_SOURCE_DATE_EPOCH is the one time every artefact carries: the
# environment's SOURCE_DATE_EPOCH when set, else the time of the commit
# the source comes from. In a git checkout git says it; in a tarball made
# by git archive, packaging/commit-time holds it (export-subst fills it
# in), so both give the same number.
find_package(Git QUIET)
set(QUONDEL_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
if(QUONDEL_SOURCE_DATE_EPOCH STREQUAL "")
  file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/commit-time QUONDEL_SOURCE_DATE_EPOCH LIMIT_COUNT 1)
endif()
if(NOT QUONDEL_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$" AND GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    OUTPUT_VARIABLE QUONDEL_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  # A new commit configures again, so its time reaches the packages.
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --git-path logs/HEAD WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    OUTPUT_VARIABLE head_log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  get_filename_component(head_log "${head_log}" ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
  if(EXISTS "${head_log}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${head_log}")
  endif()
endif()
if(NOT QUONDEL_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(WARNING "neither a git checkout nor a git archive: the packages carry the time 0")
  set(QUONDEL_SOURCE_DATE_EPOCH 0)
endif()

# Neither the source nor the build directory in the programs (__FILE__,
# debug information).
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
