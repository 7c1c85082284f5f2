# The project's two tables, read once when the build is configured (again whenever one changes):
# the resource list (resources/resources.txt) and the face table (resources/faces.txt). Each is
# made into what a build reads, in ${AMORIX_GENERATED}, which amorix_core puts on every include
# path:
#   resources/resource_ids.h    the numbers, and AMORIX_RESOURCE_FILES(X): X(number, "file")
#   resources/resource_list.rc  the resource script's lines for them
#   resources/free_faces.h      AMORIX_FREE_FAMILIES(X): X(u"face", "family"), once a face
#   amorix.gresource.xml        the native Linux program's GResource list
# and into variables: AMORIX_RESOURCE_FILES (the files' paths), AMORIX_RESOURCE_<NAME> (a
# resource's file name) and AMORIX_FONT_FILES (the fonts the web fonts are made from).
set(AMORIX_GENERATED ${CMAKE_BINARY_DIR}/generated)
set(resources ${CMAKE_SOURCE_DIR}/resources)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${resources}/resources.txt ${resources}/faces.txt)

# Writes TEXT to FILE when it differs from what FILE holds, so that nothing rebuilds for nothing.
function(amorix_write file text)
  file(CONFIGURE OUTPUT ${file} CONTENT "${text}" @ONLY)
endfunction()

set(made "Made by the build from resources/resources.txt (cmake/tables.cmake).")
set(ids "// ${made}\n#pragma once\n\n")
set(table "#define AMORIX_RESOURCE_FILES(X) \\\n")
set(rc "// ${made}\n")
set(gresource "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- ${made} -->\n")
string(APPEND gresource "<gresources>\n  <gresource prefix=\"/amorix\">\n")
set(AMORIX_RESOURCE_FILES "")
file(STRINGS ${resources}/resources.txt lines REGEX "^[^#]")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^([0-9]+) +([A-Z0-9_]+) +([A-Z]+) +([^ ]+)$")
    message(FATAL_ERROR "resources.txt: not a resource line: ${line}")
  endif()
  string(APPEND ids "#define ${CMAKE_MATCH_2} ${CMAKE_MATCH_1}\n")
  string(APPEND table "  X(${CMAKE_MATCH_2}, \"${CMAKE_MATCH_4}\") \\\n")
  string(APPEND rc "${CMAKE_MATCH_2} ${CMAKE_MATCH_3} \"${CMAKE_MATCH_4}\"\n")
  string(APPEND gresource "    <file>${CMAKE_MATCH_4}</file>\n")
  list(APPEND AMORIX_RESOURCE_FILES ${resources}/${CMAKE_MATCH_4})
  set(AMORIX_RESOURCE_${CMAKE_MATCH_2} ${CMAKE_MATCH_4})
endforeach()
string(APPEND gresource "  </gresource>\n</gresources>\n")
# The resource compiler reads the numbers too: the table is C++ alone.
amorix_write(${AMORIX_GENERATED}/resources/resource_ids.h
             "${ids}\n#ifndef RC_INVOKED\n${table}\n#endif\n")
amorix_write(${AMORIX_GENERATED}/resources/resource_list.rc "${rc}")
amorix_write(${AMORIX_GENERATED}/amorix.gresource.xml "${gresource}")

set(families "// Made by the build from resources/faces.txt (cmake/tables.cmake).\n#pragma once\n\n")
string(APPEND families "#define AMORIX_FREE_FAMILIES(X) \\\n")
set(AMORIX_FONT_FILES "")
set(faces "")
file(STRINGS ${resources}/faces.txt lines REGEX "^[^#]")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "   *" ";" cells "${line}")
  list(LENGTH cells count)
  if(NOT count EQUAL 6)
    message(FATAL_ERROR "faces.txt: not six columns: ${line}")
  endif()
  list(GET cells 0 face)
  list(GET cells 3 family)
  list(GET cells 5 font)
  if(NOT face IN_LIST faces)
    list(APPEND faces "${face}")
    string(APPEND families "  X(u\"${face}\", \"${family}\") \\\n")
  endif()
  if(NOT font STREQUAL "-")
    list(APPEND AMORIX_FONT_FILES ${font})
  endif()
endforeach()
amorix_write(${AMORIX_GENERATED}/resources/free_faces.h "${families}\n")
