# The programs we ship are hardened the way Debian hardens its own: stack protector, fortified
# string and buffer functions, a position-independent executable, read-only relocations bound
# at start-up, and control-flow protection (CET's shadow stack and indirect-branch tracking) for
# our code.
# On Linux the flags are dpkg-buildflags' with every hardening feature on, minus its -g -O2 (the
# build type chooses those); each is added only when the build lacks it, so that a build whose
# flags came from dpkg-buildpackage (the Debian package) gets just what dpkg leaves out. On
# Windows, mingw-w64 takes the same compiler flags, with its stack protector and fortified
# functions from libssp (linked statically, as everything is), and the linker marks the image
# relocatable at a high-entropy base, not executable as data, and aware of terminal servers.
# Debugging, sanitizer and fuzzing builds and the browser program are left as they are: the
# fortified functions need an optimised build, the sanitizers do their own checking, and
# Emscripten's WebAssembly has none of these.
if(CMAKE_BUILD_TYPE STREQUAL "Debug" OR AMORIX_SANITIZE OR AMORIX_FUZZ OR EMSCRIPTEN OR MSVC)
  return()
endif()
include(CheckCXXCompilerFlag)

# FLAGS: those of the list that VARIABLE's flags (a command line) lack, each once.
function(amorix_missing_flags out variable)
  separate_arguments(present UNIX_COMMAND "${${variable}}")
  set(missing "")
  foreach(flag IN LISTS ARGN)
    if(NOT flag IN_LIST present AND NOT flag IN_LIST missing)
      list(APPEND missing ${flag})
    endif()
  endforeach()
  set(${out} ${missing} PARENT_SCOPE)
endfunction()

set(compile -fstack-protector-strong -D_FORTIFY_SOURCE=2 -Wformat -Werror=format-security)
if(MINGW)
  # Passed to the linker driver too, the stack protector brings in libssp.
  set(link -fstack-protector-strong -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat
           -Wl,--tsaware)
else()
  set(link -Wl,-z,relro -Wl,-z,now)
  find_program(AMORIX_DPKG_BUILDFLAGS dpkg-buildflags)
  if(AMORIX_DPKG_BUILDFLAGS)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
      execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                "DEB_CXXFLAGS_MAINT_STRIP=-g -O2" ${AMORIX_DPKG_BUILDFLAGS} --get ${kind}
        WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
      separate_arguments(${kind} UNIX_COMMAND "${flags}")
    endforeach()
    set(compile ${CPPFLAGS} ${CXXFLAGS})
    set(link ${LDFLAGS})
  endif()
  # What later dpkg-buildflags add (stackclash, branch): stack clash protection and CET.
  check_cxx_compiler_flag(-fstack-clash-protection AMORIX_HAS_STACK_CLASH_PROTECTION)
  if(AMORIX_HAS_STACK_CLASH_PROTECTION)
    list(APPEND compile -fstack-clash-protection)
  endif()
  check_cxx_compiler_flag(-fcf-protection AMORIX_HAS_CF_PROTECTION)
  if(AMORIX_HAS_CF_PROTECTION)
    list(APPEND compile -fcf-protection)
    # The linker marks a program CET-ready only when every object says so. The C library's
    # start-up files in Debian 12 (Scrt1.o, crti.o, crtn.o) do not, and are not CET-clean, so the
    # program is left unmarked there rather than forced; that all code of ours is clean the
    # linker proves after each build of the native program (cmake/gtk.cmake).
    set(AMORIX_CET ON)
  endif()
endif()

amorix_missing_flags(compile CMAKE_CXX_FLAGS ${compile})
amorix_missing_flags(link CMAKE_EXE_LINKER_FLAGS ${link})
# Not for the resource compiler.
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:${compile}>")
add_link_options(${link})
