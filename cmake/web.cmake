# The browser program: the behaviour on the web platform, built with Emscripten into static files
# in build/web/ (the page, the script, the WebAssembly module, the pictures, the icon, the style
# sheet, the fonts with their licences, the web app manifest with its icons, the service worker),
# which any web server can serve as they are.
set(AMORIX_WEB_DIR ${CMAKE_SOURCE_DIR}/build/web)
# The page's side of the platform: a JavaScript library in files by concern.
file(GLOB AMORIX_WEB_LIBRARIES CONFIGURE_DEPENDS platform/web/amorix_*.js)
list(TRANSFORM AMORIX_WEB_LIBRARIES PREPEND --js-library= OUTPUT_VARIABLE AMORIX_WEB_LIBRARY_FLAGS)

file(GLOB AMORIX_WEB_SOURCES CONFIGURE_DEPENDS platform/web/*.cpp)
add_executable(amorix_web ${AMORIX_WEB_SOURCES})
target_link_libraries(amorix_web PRIVATE amorix_core amorix_regions)
amorix_warnings(amorix_web)
# The runtime stays when main() returns: the browser's event loop is the message loop. The
# script evaluates no strings, as the page's Content-Security-Policy forbids, and carries nothing
# the page does not use: no options read from a Module object, no decoder for browsers without
# TextDecoder, no errno. (The web preset compiles for size, whole-program, with WebAssembly's own
# exceptions: every byte here is on the way to the first window.)
target_link_options(amorix_web PRIVATE -Oz -sEXIT_RUNTIME=0 -sALLOW_MEMORY_GROWTH=1 -sFILESYSTEM=0
                    -sMALLOC=emmalloc -sENVIRONMENT=web -sDYNAMIC_EXECUTION=0
                    -sINCOMING_MODULE_JS_API=[] -sTEXTDECODER=2 -sSUPPORT_ERRNO=0
                    ${AMORIX_WEB_LIBRARY_FLAGS})
set_target_properties(amorix_web PROPERTIES OUTPUT_NAME amorix SUFFIX .js
                      RUNTIME_OUTPUT_DIRECTORY ${AMORIX_WEB_DIR}
                      LINK_DEPENDS "${AMORIX_WEB_LIBRARIES}")

# The fonts: each face the windows name, cut down to what it shows (tools/web_fonts.py), from the
# font the face table names for it (resources/faces.txt), to the characters each face's labels
# show, read off the windows themselves on the headless platform by a tool that runs under node
# (tools/face_texts.cpp).
file(GLOB AMORIX_HEADLESS_SOURCES CONFIGURE_DEPENDS platform/headless/*.cpp)
add_executable(amorix_face_texts tools/face_texts.cpp ${AMORIX_HEADLESS_SOURCES})
target_link_libraries(amorix_face_texts PRIVATE amorix_core amorix_regions)
target_link_options(amorix_face_texts PRIVATE -sENVIRONMENT=node -sSINGLE_FILE=1)
amorix_warnings(amorix_face_texts)
set(AMORIX_FACE_TEXTS ${CMAKE_BINARY_DIR}/face_texts.tsv)
add_custom_command(OUTPUT ${AMORIX_FACE_TEXTS}
  COMMAND amorix_face_texts > ${AMORIX_FACE_TEXTS}
  DEPENDS amorix_face_texts)
set(AMORIX_PAGE_CSS ${CMAKE_SOURCE_DIR}/platform/web/amorix.css)
add_custom_command(OUTPUT ${AMORIX_WEB_DIR}/amorix.css
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${AMORIX_WEB_DIR}/fonts
  COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tools/web_fonts.py ${AMORIX_FACE_TEXTS}
          ${AMORIX_PAGE_CSS} ${AMORIX_WEB_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy /usr/share/doc/fonts-liberation/copyright
          ${AMORIX_WEB_DIR}/fonts/LICENSE-Liberation.txt
  COMMAND ${CMAKE_COMMAND} -E copy /usr/share/doc/fonts-urw-base35/copyright
          ${AMORIX_WEB_DIR}/fonts/LICENSE-URW-base35.txt
  DEPENDS ${AMORIX_FACE_TEXTS} ${AMORIX_PAGE_CSS} ${CMAKE_SOURCE_DIR}/tools/web_fonts.py
          ${CMAKE_SOURCE_DIR}/resources/faces.txt ${AMORIX_FONT_FILES})

# The files served beside it: the page, which names the icon and the splash's picture by their
# files in the resource list, the web app manifest and the resource list's files.
configure_file(platform/web/index.html ${CMAKE_BINARY_DIR}/index.html @ONLY)
set(AMORIX_PAGE_FILES ${CMAKE_BINARY_DIR}/index.html
    ${CMAKE_SOURCE_DIR}/platform/web/amorix.webmanifest)
add_custom_command(OUTPUT ${AMORIX_WEB_DIR}/index.html
  COMMAND ${CMAKE_COMMAND} -E copy ${AMORIX_PAGE_FILES} ${AMORIX_RESOURCE_FILES} ${AMORIX_WEB_DIR}/
  DEPENDS ${AMORIX_PAGE_FILES} ${AMORIX_RESOURCE_FILES})
# The icons the manifest names, drawn at their sizes.
set(AMORIX_WEB_ICONS ${AMORIX_WEB_DIR}/icon-192.png ${AMORIX_WEB_DIR}/icon-512.png)
add_custom_command(OUTPUT ${AMORIX_WEB_ICONS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${AMORIX_WEB_DIR}
  COMMAND ${CMAKE_SOURCE_DIR}/resources/draw_icon.sh 192 ${AMORIX_WEB_DIR}/icon-192.png
  COMMAND ${CMAKE_SOURCE_DIR}/resources/draw_icon.sh 512 ${AMORIX_WEB_DIR}/icon-512.png
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/draw_icon.sh)
add_custom_target(amorix_web_files ALL
  DEPENDS ${AMORIX_WEB_DIR}/index.html ${AMORIX_WEB_DIR}/amorix.css ${AMORIX_WEB_ICONS})

# Last, over everything above: the service worker that keeps this build for use offline.
add_custom_target(amorix_web_offline ALL
  COMMAND ${CMAKE_COMMAND} -DDIR=${AMORIX_WEB_DIR}
          -DTEMPLATE=${CMAKE_SOURCE_DIR}/platform/web/sw.js.in
          -P ${CMAKE_SOURCE_DIR}/cmake/web_service_worker.cmake
  VERBATIM)
add_dependencies(amorix_web_offline amorix_web amorix_web_files)
