# The native Linux program: the behaviour on the GTK 3 platform, one binary with its pictures and
# icons embedded as a GResource (the resource list's files, as the Windows program embeds them).
enable_language(C)
find_package(PkgConfig REQUIRED)
pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0 fontconfig cairo-ft freetype2)
find_program(GLIB_COMPILE_RESOURCES glib-compile-resources REQUIRED)

set(AMORIX_GRESOURCE_C ${CMAKE_CURRENT_BINARY_DIR}/amorix_resources.c)
add_custom_command(
  OUTPUT ${AMORIX_GRESOURCE_C}
  COMMAND ${GLIB_COMPILE_RESOURCES} --generate-source --c-name amorix
          --sourcedir=${CMAKE_CURRENT_SOURCE_DIR}/resources --target=${AMORIX_GRESOURCE_C}
          ${AMORIX_GENERATED}/amorix.gresource.xml
  DEPENDS ${AMORIX_GENERATED}/amorix.gresource.xml ${AMORIX_RESOURCE_FILES})

file(GLOB AMORIX_GTK_SOURCES CONFIGURE_DEPENDS platform/gtk/*.cpp)
list(FILTER AMORIX_GTK_SOURCES EXCLUDE REGEX "gtk_main\\.cpp$")
add_library(amorix_gtk STATIC ${AMORIX_GTK_SOURCES})
target_link_libraries(amorix_gtk PUBLIC amorix_core amorix_regions PkgConfig::GTK3)
amorix_warnings(amorix_gtk)

add_executable(amorix platform/gtk/gtk_main.cpp ${AMORIX_GRESOURCE_C})
target_link_libraries(amorix PRIVATE amorix_gtk)
set_target_properties(amorix PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
amorix_warnings(amorix)
target_link_options(amorix PRIVATE $<$<CONFIG:Release>:-s>)  # a release carries no symbols
# The generated resource file is not ours: no warnings as errors for it.
set_source_files_properties(${AMORIX_GRESOURCE_C} PROPERTIES COMPILE_OPTIONS "-w")
# All code of ours is built for CET (cmake/hardening.cmake): the linker joins it into one object,
# any part that lacks the marking an error.
if(AMORIX_CET)
  add_custom_command(TARGET amorix POST_BUILD
    COMMAND ${CMAKE_CXX_COMPILER} -r -nostdlib -Wl,-z,cet-report=error -Wl,--whole-archive
            $<TARGET_FILE:amorix_gtk> $<TARGET_FILE:amorix_core> $<TARGET_FILE:amorix_regions>
            -Wl,--no-whole-archive $<TARGET_OBJECTS:amorix> -o ${CMAKE_BINARY_DIR}/cet_marked.o
    COMMENT "Checking that all code of ours is marked for CET" VERBATIM COMMAND_EXPAND_LISTS)
endif()

# For `make install` and the Debian package: the program's icon as the PNG that desktops look up
# in the hicolor theme (without a time of its own, so that two builds give the same file).
find_program(AMORIX_CONVERT convert REQUIRED)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/amorix.png
  COMMAND ${AMORIX_CONVERT} ${CMAKE_CURRENT_SOURCE_DIR}/resources/amorix.ico -strip
          -define png:exclude-chunks=date,time PNG32:${CMAKE_BINARY_DIR}/amorix.png
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/resources/amorix.ico)
add_custom_target(amorix_icon ALL DEPENDS ${CMAKE_BINARY_DIR}/amorix.png)

# What is installed: the program (Debian files games under games/, CMAKE_INSTALL_BINDIR=games),
# its desktop entry naming it by full path, the icon, the AppStream metadata and the manual page.
include(GNUInstallDirs)
set(AMORIX_EXEC ${CMAKE_INSTALL_FULL_BINDIR}/amorix)
configure_file(resources/amorix.desktop.in ${CMAKE_BINARY_DIR}/amorix.desktop @ONLY)
install(TARGETS amorix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/amorix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/amorix.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
install(FILES dist/com.quillon.amorix.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES dist/amorix.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
