# Reproducible builds: the same source gives the same bytes wherever and
# whenever it is built.
#
# QUONDEL_SOURCE_DATE_EPOCH is the one time every artefact carries.
include(${CMAKE_CURRENT_LIST_DIR}/commit-time.cmake)

# Neither the source nor the build directory in the programs (__FILE__,
# debug information).
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
