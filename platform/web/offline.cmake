# Writes the site's service worker: the list of files to keep offline and a
# cache name made from their contents, so that every build that changes a
# file gets a cache of its own.
#
#   cmake -DSITE=dir -DTEMPLATE=sw.js -DFILES="a;b;..." -P offline.cmake
set(digests "")
set(quoted "'./'")
foreach(name ${FILES})
  file(SHA256 ${SITE}/${name} digest)
  string(APPEND digests "${name} ${digest}\n")
  string(APPEND quoted ", '${name}'")
endforeach()
string(SHA256 hash "${digests}")
string(SUBSTRING ${hash} 0 16 QUONDEL_SITE_HASH)
set(QUONDEL_SITE_FILES "${quoted}")
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
