# Installation as a Linux desktop expects it, and the Debian package made with CPack.
# Included once from the top-level CMakeLists.txt; the version comes from its project() line.
include(GNUInstallDirs)

set(BRELVOXAN_RELEASE_DATE "2026-12-07")
# The package's Maintainer field and the signature of its changelog. Whoever builds packages for
# others sets their own name and address.
set(BRELVOXAN_MAINTAINER "Brelvoxan Packager <packager@brelvoxan.invalid>" CACHE STRING
  "Maintainer of the Debian package: Name <address>")
# Games go where Debian puts them, relative to the install prefix.
set(BRELVOXAN_INSTALL_GAMESDIR games CACHE STRING "Folder of the game program below the prefix")
set(BRELVOXAN_APP_ID org.brelvoxan.Brelvoxan)
set(BRELVOXAN_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(BRELVOXAN_PACKAGING_OUT ${PROJECT_BINARY_DIR}/packaging)

if(TARGET brelvoxan AND NOT WIN32)
  configure_file(${BRELVOXAN_PACKAGING_DIR}/${BRELVOXAN_APP_ID}.metainfo.xml.in
    ${BRELVOXAN_PACKAGING_OUT}/${BRELVOXAN_APP_ID}.metainfo.xml @ONLY)
  # The manual pages of the game and of the engine program, installed compressed.
  set(BRELVOXAN_MANUAL_PAGES brelvoxan.6 brelvoxan-engine.6)
  set(BRELVOXAN_MANUAL_FILES "")
  foreach(page ${BRELVOXAN_MANUAL_PAGES})
    configure_file(${BRELVOXAN_PACKAGING_DIR}/${page}.in ${BRELVOXAN_PACKAGING_OUT}/${page} @ONLY)
    add_custom_command(OUTPUT ${BRELVOXAN_PACKAGING_OUT}/${page}.gz
      COMMAND gzip -9 -n -c ${BRELVOXAN_PACKAGING_OUT}/${page} > ${page}.gz
      WORKING_DIRECTORY ${BRELVOXAN_PACKAGING_OUT}
      DEPENDS ${BRELVOXAN_PACKAGING_OUT}/${page})
    list(APPEND BRELVOXAN_MANUAL_FILES ${BRELVOXAN_PACKAGING_OUT}/${page}.gz)
  endforeach()
  # The package's changelog, compressed as Debian keeps it.
  execute_process(COMMAND date -u -R -d "${BRELVOXAN_RELEASE_DATE}"
    OUTPUT_VARIABLE BRELVOXAN_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE)
  configure_file(${BRELVOXAN_PACKAGING_DIR}/changelog.in ${BRELVOXAN_PACKAGING_OUT}/changelog @ONLY)
  add_custom_command(OUTPUT ${BRELVOXAN_PACKAGING_OUT}/changelog.gz
    COMMAND gzip -9 -n -c ${BRELVOXAN_PACKAGING_OUT}/changelog > changelog.gz
    WORKING_DIRECTORY ${BRELVOXAN_PACKAGING_OUT}
    DEPENDS ${BRELVOXAN_PACKAGING_OUT}/changelog)
  add_custom_target(brelvoxan_manual ALL DEPENDS ${BRELVOXAN_MANUAL_FILES}
    ${BRELVOXAN_PACKAGING_OUT}/changelog.gz)

  # Everything the install rules copy, without the tests and tools.
  add_custom_target(brelvoxan_install_files DEPENDS brelvoxan brelvoxan_gtp_engine brelvoxan_icons
    brelvoxan_manual)

  # The game, and beside it the engine program for board game clients.
  install(TARGETS brelvoxan brelvoxan_gtp_engine RUNTIME DESTINATION ${BRELVOXAN_INSTALL_GAMESDIR})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/res/bmp
    DESTINATION ${CMAKE_INSTALL_DATADIR}/games/brelvoxan/res)
  install(FILES ${BRELVOXAN_PACKAGING_DIR}/${BRELVOXAN_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${BRELVOXAN_PACKAGING_OUT}/${BRELVOXAN_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size ${BRELVOXAN_HICOLOR_SIZES})
    install(FILES ${PROJECT_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/brelvoxan.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  install(FILES ${BRELVOXAN_MANUAL_FILES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES ${BRELVOXAN_PACKAGING_DIR}/copyright ${BRELVOXAN_PACKAGING_OUT}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brelvoxan)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME brelvoxan)
  set(CPACK_PACKAGE_VENDOR "Brelvoxan developers")
  set(CPACK_PACKAGE_CONTACT ${BRELVOXAN_MAINTAINER})
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${BRELVOXAN_MAINTAINER})
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Reversi against the computer on an old handheld's screen")
  # One string: the long description, which CPack puts indented under the synopsis.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Brelvoxan is Reversi for one person against the computer, in a window that
imitates the small monochrome dot-matrix display of an old handheld computer:
24 by 6 character cells and a plane of dots on which the board is drawn.
.
It is played with the keyboard: the digit keys choose a side, the arrow keys
and Enter place a stone, Ctrl+Q quits. The computer plays at five levels, from
one that looks one move ahead to one that searches deep and plays the ending
perfectly.
.
The package also holds brelvoxan-engine, the computer opponent as an engine
for board game programs that speak the Go Text Protocol.")
  set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
  # The program looks for its glyphs under the prefix it was built for, so the package installs
  # there too: configure with -DCMAKE_INSTALL_PREFIX=/usr for a package in /usr.
  set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${BRELVOXAN_HOMEPAGE})
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # the library dependencies, computed by dpkg-shlibdeps
  set(CPACK_STRIP_FILES ON)
  set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
  include(CPack)
endif()

# The packaging checks: the desktop entry, the metainfo, and the package installed with apt,
# started from / and removed again (normal builds only; it needs root and an X server).
if(TARGET brelvoxan AND NOT WIN32 AND BUILD_TESTING)
  find_program(BRELVOXAN_DESKTOP_FILE_VALIDATE desktop-file-validate)
  find_program(BRELVOXAN_APPSTREAMCLI appstreamcli)
  if(BRELVOXAN_DESKTOP_FILE_VALIDATE)
    add_test(NAME package_desktop_entry COMMAND ${BRELVOXAN_DESKTOP_FILE_VALIDATE}
      ${BRELVOXAN_PACKAGING_DIR}/${BRELVOXAN_APP_ID}.desktop)
    set_tests_properties(package_desktop_entry PROPERTIES LABELS package)
  endif()
  if(BRELVOXAN_APPSTREAMCLI)
    add_test(NAME package_metainfo COMMAND ${BRELVOXAN_APPSTREAMCLI} validate --no-net
      ${BRELVOXAN_PACKAGING_OUT}/${BRELVOXAN_APP_ID}.metainfo.xml)
    set_tests_properties(package_metainfo PROPERTIES LABELS package)
  endif()
  if(NOT BRELVOXAN_SANITIZE)
    # The game built for /usr beside the other tests; installing it runs alone.
    add_test(NAME package_build COMMAND bash ${PROJECT_SOURCE_DIR}/tests/package/deb_install.sh
      ${PROJECT_BINARY_DIR} --build-only WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(package_build PROPERTIES LABELS "slow;package" SKIP_RETURN_CODE 77 TIMEOUT 1200
      FIXTURES_SETUP package_tree COST 95)
    add_test(NAME package_deb COMMAND bash ${PROJECT_SOURCE_DIR}/tests/package/deb_install.sh
      ${PROJECT_BINARY_DIR} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(package_deb PROPERTIES LABELS "slow;package" SKIP_RETURN_CODE 77 TIMEOUT 1200
      RUN_SERIAL TRUE FIXTURES_REQUIRED package_tree)
  endif()
endif()
