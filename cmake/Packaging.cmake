# Installs Ingranix the way a Linux desktop expects it, and describes the Debian package that
# `cpack -G DEB` makes from that installation. Included at the end of the root CMakeLists.txt.
#
#   <prefix>/bin/ingranix
#   <prefix>/lib/ingranix/ingranix-notebook.so   the notebook's window, loaded when it first opens
#   <prefix>/share/ingranix/                 pictures, gear movies, guide character
#   <prefix>/share/applications/<id>.desktop
#   <prefix>/share/metainfo/<id>.metainfo.xml
#   <prefix>/share/icons/hicolor/<n>x<n>/apps/ingranix.png
#   <prefix>/share/doc/ingranix/copyright, changelog.gz
#   <prefix>/share/man/man6/ingranix.6.gz, <prefix>/share/man/it/man6/ingranix.6.gz
#   <prefix>/share/lintian/overrides/ingranix (where lintian knows the tag it overrides)

# One name for the desktop entry, the AppStream component and the window's desktop file name, so that
# menus, software centres and the window manager all recognise the same program.
set(INGRANIX_APP_ID io.github.ingranix.Ingranix)
set(INGRANIX_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)

# The program finds its resources at ../share/ingranix from its own folder, so these two destinations
# are fixed rather than taken from GNUInstallDirs, which a distribution could redirect.
set(INGRANIX_INSTALL_BINDIR bin)
set(INGRANIX_INSTALL_DATADIR share)

if(TARGET ingranix)
  install(TARGETS ingranix RUNTIME DESTINATION ${INGRANIX_INSTALL_BINDIR})
  # The notebook's window, loaded when the notebook first opens, from ../lib/ingranix.
  install(TARGETS ingranix_notebookmodule LIBRARY DESTINATION lib/ingranix)
else()
  message(STATUS "Packaging: the ingranix program is not built yet; installing its data only")
endif()

file(GLOB INGRANIX_INSTALL_RESOURCES LIST_DIRECTORIES false CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*)
list(FILTER INGRANIX_INSTALL_RESOURCES EXCLUDE REGEX "README|/\\.[^/]*$")
if(INGRANIX_INSTALL_RESOURCES)
  install(FILES ${INGRANIX_INSTALL_RESOURCES} DESTINATION ${INGRANIX_INSTALL_DATADIR}/ingranix)
endif()

install(FILES ${INGRANIX_PACKAGING_DIR}/${INGRANIX_APP_ID}.desktop
        DESTINATION ${INGRANIX_INSTALL_DATADIR}/applications)
install(FILES ${INGRANIX_PACKAGING_DIR}/${INGRANIX_APP_ID}.metainfo.xml
        DESTINATION ${INGRANIX_INSTALL_DATADIR}/metainfo)
# Debian wants every package's licence in its documentation folder.
install(FILES ${INGRANIX_PACKAGING_DIR}/copyright DESTINATION ${INGRANIX_INSTALL_DATADIR}/doc/ingranix)

# The changelog and the manual pages, compressed as Debian wants them: at the highest level, without
# a time stamp, so that two builds of one source give the same package.
file(STRINGS ${INGRANIX_PACKAGING_DIR}/changelog INGRANIX_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT INGRANIX_CHANGELOG_TOP MATCHES "^ingranix \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog starts with \"${INGRANIX_CHANGELOG_TOP}\": "
                      "its first entry must be the project's version, ${PROJECT_VERSION}")
endif()
set(INGRANIX_COMPRESSED_DOCS "")
foreach(doc changelog man/ingranix.6 man/it/ingranix.6)
  set(compressed ${CMAKE_BINARY_DIR}/packaging/${doc}.gz)
  get_filename_component(folder ${compressed} DIRECTORY)
  add_custom_command(OUTPUT ${compressed}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
                     COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${INGRANIX_PACKAGING_DIR}/${doc} ${compressed}
                     DEPENDS ${INGRANIX_PACKAGING_DIR}/${doc}
                     VERBATIM)
  list(APPEND INGRANIX_COMPRESSED_DOCS ${compressed})
endforeach()
add_custom_target(ingranix_packaging_docs ALL DEPENDS ${INGRANIX_COMPRESSED_DOCS})
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${INGRANIX_INSTALL_DATADIR}/doc/ingranix)
# What lintian may not count against the package, each with its reason. The one override is for a
# tag that lintian has from Debian 13 on; an older lintian calls an override of a tag it does not know
# an error (alien-tag), so the override goes only into packages built where lintian knows the tag.
if(EXISTS /usr/share/lintian/tags/a/appstream-metadata-validation-failed.tag)
  install(FILES ${INGRANIX_PACKAGING_DIR}/lintian-overrides
          DESTINATION ${INGRANIX_INSTALL_DATADIR}/lintian/overrides RENAME ingranix)
endif()
install(FILES ${CMAKE_BINARY_DIR}/packaging/man/ingranix.6.gz DESTINATION ${INGRANIX_INSTALL_DATADIR}/man/man6)
install(FILES ${CMAKE_BINARY_DIR}/packaging/man/it/ingranix.6.gz
        DESTINATION ${INGRANIX_INSTALL_DATADIR}/man/it/man6)
# The icons are drawn by tools/make_icons and kept in the repository, so that packaging needs no display.
foreach(size 16 32 48 64 128 256)
  install(FILES ${INGRANIX_PACKAGING_DIR}/icons/ingranix-${size}.png
          DESTINATION ${INGRANIX_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ingranix.png)
endforeach()

# The desktop entry and the metainfo are checked with the tools the desktops themselves use.
if(INGRANIX_BUILD_TESTS)
  find_program(INGRANIX_DESKTOP_FILE_VALIDATE desktop-file-validate)
  find_program(INGRANIX_APPSTREAMCLI appstreamcli)
  if(INGRANIX_DESKTOP_FILE_VALIDATE)
    add_test(NAME packaging_desktop_entry
             COMMAND ${INGRANIX_DESKTOP_FILE_VALIDATE} ${INGRANIX_PACKAGING_DIR}/${INGRANIX_APP_ID}.desktop)
    # Hints (such as two main categories) would put the game twice in some menus: fail on any output.
    set_tests_properties(packaging_desktop_entry PROPERTIES FAIL_REGULAR_EXPRESSION "error|warning|hint")
  endif()
  if(INGRANIX_APPSTREAMCLI)
    # Through the script that knows which AppStream versions ask for a homepage.
    add_test(NAME packaging_metainfo
             COMMAND bash ${CMAKE_SOURCE_DIR}/tools/ci/validate-metainfo.sh
                     ${INGRANIX_PACKAGING_DIR}/${INGRANIX_APP_ID}.metainfo.xml)
  endif()
endif()

# --- The Debian package -------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ingranix)
set(CPACK_PACKAGE_VENDOR "Ingranix developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "educational game about the concept of a model")
# Lines of at most 80 characters, as package managers show them.
set(CPACK_PACKAGE_DESCRIPTION
    "A machine applies a hidden calculation to the numbers the player feeds
it. The player is the scientist: they run experiments, read the outputs and
invent a calculation that predicts every output. Four levels, four gear
colours and nine mechanisms give 144 calculations. The game and its animated
speaking guide are in Italian (Gioco didattico sul concetto di modello).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The project's own contact, in the form Debian wants (name <address>); the same in packaging/changelog.
# The project has no mail server: the reserved .invalid domain says so rather than inventing one.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Ingranix developers <developers@ingranix.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# dpkg-shlibdeps reads the libraries the program links (Qt Core, Gui, Widgets, PrintSupport,
# TextToSpeech, Charts and the C++ runtime). Without it (no dpkg-dev), the same libraries are named by hand.
find_program(INGRANIX_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(INGRANIX_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(INGRANIX_LIBRARY_DEPENDS "")
else()
  message(STATUS "Packaging: dpkg-shlibdeps not found (package dpkg-dev); naming the Qt libraries by hand")
  set(INGRANIX_LIBRARY_DEPENDS "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), \
libqt6printsupport6 (>= 6.4), libqt6texttospeech6 (>= 6.4), libqt6charts6 (>= 6.4), libmuparser2v5, ")
endif()
# What no library link reveals: the guide's voice is a Qt plugin talking to speech-dispatcher, which
# needs an output module to speak Italian; the window and the printout ask for Liberation Sans, and the
# notebook's marks ✓ and ✗ come from DejaVu Sans. The xcb platform plugin and the GIF reader ship
# inside libqt6gui6, and the CUPS print plugin inside libqt6printsupport6, so those need no extra package.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "${INGRANIX_LIBRARY_DEPENDS}qt6-speech-speechd-plugin, speech-dispatcher-espeak-ng, fonts-liberation, \
fonts-dejavu-core")
# Printing reaches a printer through a CUPS server, which a school machine may have elsewhere.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS cups)

# CPack gives any shared object one folder below /usr/lib maintainer scripts that call ldconfig. The
# notebook's module is private, loaded by its path, where the dynamic linker never looks: the package
# is made again without those scripts.
set(CPACK_POST_BUILD_SCRIPTS ${INGRANIX_PACKAGING_DIR}/drop-ldconfig-scripts.cmake)

set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")
include(CPack)
