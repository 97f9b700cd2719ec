# Run by CPack after it has made the packages (CPACK_POST_BUILD_SCRIPTS).
# CPack writes a zip's files in the order the file system lists them,
# which differs from one file system to the next; the zip is written
# again here with the same files in name order, at the commit's time
# (SOURCE_DATE_EPOCH, set by cpack-epoch.cmake).
get_filename_component(root ${CPACK_TEMPORARY_DIRECTORY} DIRECTORY)
get_filename_component(top ${CPACK_TEMPORARY_DIRECTORY} NAME)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.zip$")
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${root} ${root}/${top}/*)
    list(SORT files)
    string(REPLACE ";" "\n" files "${files}")
    file(WRITE ${root}/zip-files.txt "${files}\n")
    file(REMOVE ${package})
    execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${package} --format=zip --files-from=zip-files.txt
      WORKING_DIRECTORY ${root} COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
