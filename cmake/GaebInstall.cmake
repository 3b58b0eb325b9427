# Install rules and packaging.
#
# Layout under the prefix:
#   bin/gaeb                          link to the program below
#   <libdir>/gaeb/gaeb                the program
#   <libdir>/gaeb/gtcConverterV31.so  the converter library, beside the program: the
#                                     component loads it from the program directory a host
#                                     passes to Init (the program passes its own)
#   include/gaeb/<folder>/*.h         the public headers (include/gaeb is on the include path)
#   <libdir>/libgaeb_*.a              the libraries (position-independent)
#   <libdir>/cmake/gaeb/              the CMake package: gaeb::component, gaeb::sqlitehost
#   <libdir>/pkgconfig/gaeb.pc        the same for pkg-config
#   share/man/man1/gaeb.1, share/bash-completion/completions/gaeb, share/doc/gaeb/
#
# Components: Runtime (program, converter, man page, completion, user docs) and
# Development (headers, libraries, package files, embedding docs). CPack makes one
# Debian package of each: gaeb and gaeb-dev.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(GAEB_INSTALL_PROGRAMDIR ${CMAKE_INSTALL_LIBDIR}/gaeb)
set(GAEB_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/gaeb)
set(GAEB_INSTALL_HEADERDIR ${CMAKE_INSTALL_INCLUDEDIR}/gaeb)

# The libraries of the package, each before the ones it links (the pkg-config
# file lists them in this order). gaeb_host and gaeb_component are the two a host
# links; the rest are what they link. A library that either of them starts to link
# must be listed here, or CMake refuses to export; one not built (yet) is skipped.
set(GAEB_PACKAGE_LIBRARIES
  gaeb_host gaeb_component gaeb_gaebxml gaeb_gaeb90 gaeb_gaeb2000 gaeb_export gaeb_textconv gaeb_store gaeb_core
  gaeb_base)
# Headers a host includes (relative to src/); whatever they include from the
# project is installed with them.
set(GAEB_PUBLIC_HEADERS
  component/clsGaebSQL.h textconv/textkonverter.h
  core/host.h core/objektfabrik.h core/positionssatz.h core/ausgabeoptionen.h core/ereignisse.h
  host/host.h host/verbindung.h host/schema.h host/dienste.h)

# --- libraries and the CMake package
set(GAEB_INSTALLED_LIBRARIES "")
foreach(lib ${GAEB_PACKAGE_LIBRARIES})
  if(NOT TARGET ${lib})
    continue()
  endif()
  list(APPEND GAEB_INSTALLED_LIBRARIES ${lib})
  # Source-tree include paths hold in the build only; installed, include/gaeb takes their place.
  get_target_property(dirs ${lib} INTERFACE_INCLUDE_DIRECTORIES)
  if(dirs)
    set(wrapped "")
    foreach(d ${dirs})
      if(d MATCHES "^\\$<")
        list(APPEND wrapped "${d}")
      else()
        list(APPEND wrapped "$<BUILD_INTERFACE:${d}>")
      endif()
    endforeach()
    set_property(TARGET ${lib} PROPERTY INTERFACE_INCLUDE_DIRECTORIES "${wrapped}")
  endif()
  string(REGEX REPLACE "^gaeb_" "" name ${lib})
  set_target_properties(${lib} PROPERTIES EXPORT_NAME ${name})
endforeach()
set_target_properties(gaeb_host PROPERTIES EXPORT_NAME sqlitehost)
target_include_directories(gaeb_base INTERFACE
  $<INSTALL_INTERFACE:${GAEB_INSTALL_HEADERDIR}> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
# The headers use C++20 (std::span, UTF-8 identifiers).
target_compile_features(gaeb_base INTERFACE cxx_std_20)
if(GAEB_SANITIZE)
  # Sanitized libraries need the sanitizer runtimes in whatever links them.
  target_link_options(gaeb_base INTERFACE $<INSTALL_INTERFACE:-fsanitize=address,undefined>)
  set(GAEB_PC_SANITIZE "-fsanitize=address,undefined")
endif()

install(TARGETS ${GAEB_INSTALLED_LIBRARIES} EXPORT gaebTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development)
install(EXPORT gaebTargets NAMESPACE gaeb:: DESTINATION ${GAEB_INSTALL_CMAKEDIR} COMPONENT Development)
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/gaebConfig.cmake.in
  ${CMAKE_BINARY_DIR}/package/gaebConfig.cmake
  INSTALL_DESTINATION ${GAEB_INSTALL_CMAKEDIR}
  PATH_VARS GAEB_INSTALL_PROGRAMDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/gaebConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/package/gaebConfig.cmake ${CMAKE_BINARY_DIR}/package/gaebConfigVersion.cmake
  DESTINATION ${GAEB_INSTALL_CMAKEDIR} COMPONENT Development)

# pkg-config: relocatable through ${pcfiledir}.
file(RELATIVE_PATH GAEB_PC_PREFIX "/p/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/p")
string(REGEX REPLACE "/$" "" GAEB_PC_PREFIX "${GAEB_PC_PREFIX}")
list(TRANSFORM GAEB_INSTALLED_LIBRARIES PREPEND "-l" OUTPUT_VARIABLE GAEB_PC_LIBS)
list(JOIN GAEB_PC_LIBS " " GAEB_PC_LIBS)
if(CMAKE_DL_LIBS)
  set(GAEB_PC_DL "-l${CMAKE_DL_LIBS}")
endif()
configure_file(${CMAKE_SOURCE_DIR}/cmake/gaeb.pc.in ${CMAKE_BINARY_DIR}/package/gaeb.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/gaeb.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT Development)

# --- public headers: the listed ones and, transitively, the project headers they include
set(offen ${GAEB_PUBLIC_HEADERS})
set(GAEB_INSTALLED_HEADERS "")
while(offen)
  list(POP_FRONT offen h)
  if(h IN_LIST GAEB_INSTALLED_HEADERS)
    continue()
  endif()
  set(pfad ${CMAKE_SOURCE_DIR}/src/${h})
  if(NOT EXISTS ${pfad})
    message(FATAL_ERROR "public header src/${h} is missing")
  endif()
  list(APPEND GAEB_INSTALLED_HEADERS ${h})
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${pfad})
  file(STRINGS ${pfad} zeilen REGEX "^#include \"")
  foreach(z ${zeilen})
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" inc "${z}")
    list(APPEND offen ${inc})
  endforeach()
endwhile()
foreach(h ${GAEB_INSTALLED_HEADERS})
  get_filename_component(ordner ${h} DIRECTORY)
  install(FILES ${CMAKE_SOURCE_DIR}/src/${h} DESTINATION ${GAEB_INSTALL_HEADERDIR}/${ordner} COMPONENT Development)
endforeach()

# --- the program and the converter library, side by side
install(TARGETS gaeb RUNTIME DESTINATION ${GAEB_INSTALL_PROGRAMDIR} COMPONENT Runtime)
install(TARGETS gaeb_gtc LIBRARY DESTINATION ${GAEB_INSTALL_PROGRAMDIR} COMPONENT Runtime)
file(RELATIVE_PATH ziel "/p/${CMAKE_INSTALL_BINDIR}" "/p/${GAEB_INSTALL_PROGRAMDIR}/gaeb")
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/package/bin)
file(CREATE_LINK ${ziel} ${CMAKE_BINARY_DIR}/package/bin/gaeb SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/package/bin/gaeb DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)

# --- man page and bash completion, made from the program's own help
option(GAEB_MANPAGE "Make the man page gaeb(1) with help2man" ON)
set(GAEB_HILFEDATEIEN ${CMAKE_BINARY_DIR}/package/gaeb.bash)
if(GAEB_MANPAGE)
  find_program(HELP2MAN help2man)
  if(NOT HELP2MAN)
    message(FATAL_ERROR "help2man is missing: run scripts/deps.sh, or configure with -DGAEB_MANPAGE=OFF")
  endif()
  list(APPEND GAEB_HILFEDATEIEN ${CMAKE_BINARY_DIR}/package/gaeb.1)
endif()
add_custom_command(OUTPUT ${GAEB_HILFEDATEIEN}
  COMMAND ${CMAKE_COMMAND} -E env HELP2MAN=${HELP2MAN}
          ${CMAKE_SOURCE_DIR}/cmake/hilfe.sh $<TARGET_FILE:gaeb> ${CMAKE_BINARY_DIR}/package
  DEPENDS gaeb ${CMAKE_SOURCE_DIR}/cmake/hilfe.sh
  COMMENT "Man page and bash completion from gaeb --help"
  VERBATIM)
add_custom_target(gaeb_hilfe ALL DEPENDS ${GAEB_HILFEDATEIEN})
install(FILES ${CMAKE_BINARY_DIR}/package/gaeb.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
  RENAME gaeb COMPONENT Runtime)
if(GAEB_MANPAGE)
  install(FILES ${CMAKE_BINARY_DIR}/package/gaeb.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT Runtime)
endif()

# --- docs
install(FILES README.md docs/cli.md docs/formats.md docs/textconv.md docs/architecture.md
  DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT Runtime)
install(FILES docs/embedding.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT Development)
install(DIRECTORY examples/embed/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples/embed COMPONENT Development)

# --- Debian packages: cpack -G DEB (or make package)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gaeb)
set(CPACK_PACKAGE_VENDOR "gaeb")
set(CPACK_PACKAGE_CONTACT "gaeb maintainers <gaeb@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "GAEB data exchange (GAEB 90, GAEB 2000, GAEB DA XML) for a business application")
set(CPACK_PACKAGE_INSTALL_DIRECTORY gaeb)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Runtime Development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME gaeb)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME gaeb-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The libraries are static: what they link comes with the -dev packages of their dependencies.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libsqlite3-dev, libxml2-dev, libmuparser-dev, libpq-dev, pkg-config")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
  "The gaeb program: writes documents of its SQLite database as GAEB files, imports bills of\nquantities and converts GAEB texts.")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
  "Headers, static libraries, CMake package and pkg-config file of the GAEB component\nand the stand-alone SQLite host, for embedding in a business application.")
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS Runtime)
include(CPack)
