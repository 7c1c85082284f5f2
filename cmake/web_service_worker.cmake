# Writes the service worker of the browser program (cmake -P, with DIR the build's folder and
# TEMPLATE its source): every file the page uses (all the build serves but the fonts' licences,
# which are there to be read, not fetched, and the page again as the folder), each with the start
# of its SHA-256, and a cache name from the SHA-256 of their names and contents, so that any change
# to any file makes a new worker. The file is rewritten only when it changes.
file(GLOB_RECURSE files RELATIVE ${DIR} ${DIR}/*)
list(REMOVE_ITEM files sw.js)
list(FILTER files EXCLUDE REGEX "(^|/)LICENSE[^/]*$")
list(SORT files)
set(sums "")
set(names "")
foreach(f IN LISTS files)
  file(SHA256 ${DIR}/${f} sum)
  string(APPEND sums "${f} ${sum}\n")
  string(SUBSTRING ${sum} 0 16 start)
  string(APPEND names "\n  ['${f}', '${start}'],")
  if(f STREQUAL "index.html")
    string(APPEND names "\n  ['./', '${start}'],")
  endif()
endforeach()
string(SHA256 hash "${sums}")
string(SUBSTRING ${hash} 0 16 AMORIX_BUILD_HASH)
set(AMORIX_BUILD_FILES "${names}\n")
configure_file(${TEMPLATE} ${DIR}/sw.js @ONLY)
