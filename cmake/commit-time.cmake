# The one place that decides the time every artefact carries: the
# environment's SOURCE_DATE_EPOCH when set, else the time of the commit the
# source comes from. In a tarball made by git archive, packaging/commit-time
# holds it (export-subst fills it in); in a git checkout git says it. Both
# give the same number for the same commit.
#
# Included by the build (sets QUONDEL_SOURCE_DATE_EPOCH), or run by the
# scripts, which print it:  cmake -P cmake/commit-time.cmake
get_filename_component(quondel_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(QUONDEL_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
if(QUONDEL_SOURCE_DATE_EPOCH STREQUAL "")
  file(STRINGS ${quondel_root}/packaging/commit-time QUONDEL_SOURCE_DATE_EPOCH LIMIT_COUNT 1)
endif()
find_program(QUONDEL_GIT git)
if(NOT QUONDEL_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$" AND QUONDEL_GIT)
  execute_process(COMMAND ${QUONDEL_GIT} log -1 --format=%ct WORKING_DIRECTORY ${quondel_root}
    OUTPUT_VARIABLE QUONDEL_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  # A new commit configures again, so its time reaches the packages.
  execute_process(COMMAND ${QUONDEL_GIT} rev-parse --git-path logs/HEAD WORKING_DIRECTORY ${quondel_root}
    OUTPUT_VARIABLE head_log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  get_filename_component(head_log "${head_log}" ABSOLUTE BASE_DIR ${quondel_root})
  if(EXISTS "${head_log}" AND NOT CMAKE_SCRIPT_MODE_FILE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${head_log}")
  endif()
endif()
if(NOT QUONDEL_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  if(CMAKE_SCRIPT_MODE_FILE)
    message(FATAL_ERROR "neither a git checkout nor a git archive: no commit time")
  endif()
  message(WARNING "neither a git checkout nor a git archive: the packages carry the time 0")
  set(QUONDEL_SOURCE_DATE_EPOCH 0)
endif()
if(CMAKE_SCRIPT_MODE_FILE)
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${QUONDEL_SOURCE_DATE_EPOCH}")
endif()
