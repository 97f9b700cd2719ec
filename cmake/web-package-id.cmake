# cmake -DJS=quondel.data.js -DDATA=quondel.data -P web-package-id.cmake
#
# Emscripten's file packager names each package with a random UUID, so no
# two builds of the site would be the same. The name only tells a cached
# copy of the package from a changed one (and the site keeps no cache), so
# the hash of the package's contents serves better: the same pictures, the
# same name.
file(SHA256 ${DATA} hash)
file(READ ${JS} js)
string(REGEX REPLACE "\"package_uuid\": *\"[^\"]*\"" "\"package_uuid\": \"sha256-${hash}\"" replaced "${js}")
if(replaced STREQUAL js)
  message(FATAL_ERROR "${JS}: no package_uuid to replace; the file packager has changed")
endif()
file(WRITE ${JS} "${replaced}")
