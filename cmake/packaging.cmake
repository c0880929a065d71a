# Installation, the Debian package (cpack -G DEB) and, for Windows, the zip
# (cpack -G ZIP in the Windows build folder).
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME kessavine)
set(CPACK_PACKAGE_VENDOR "kessavine developers")
set(CPACK_PACKAGE_CONTACT "kessavine developers <kessavine@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "convert Internet Explorer favorites into a browser bookmark file")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # The zip: kessavine.exe with its README and license, in one folder.
  install(TARGETS kessavine RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
  set(CPACK_SYSTEM_NAME win64)
else()
  install(TARGETS kessavine RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # A stripped install is stripped as Debian strips: without the compilers'
  # notes either.
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kessavine\")
  endif()")

  # Compressed without a name or time stamp, so that every build gives the
  # same bytes.
  set(manual ${CMAKE_BINARY_DIR}/kessavine.1.gz)
  set(changelog ${CMAKE_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${manual}
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/man/kessavine.1 > ${manual}
    DEPENDS man/kessavine.1)
  add_custom_command(OUTPUT ${changelog}
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/changelog > ${changelog}
    DEPENDS packaging/changelog)
  add_custom_target(compressed_docs ALL DEPENDS ${manual} ${changelog})
  install(FILES ${manual} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES packaging/copyright ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})

  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_PACKAGE_DESCRIPTION
    "kessavine reads a favorites directory, the folder tree in which Internet
Explorer keeps its Favorites, and writes it as one bookmark document in the
Netscape bookmark format, which every browser imports. Use it to carry
favorites from an old Windows machine, a copied Favorites folder or a
mounted Windows disk into a modern browser.

Every failure is reported, and the exit status tells whether the document
holds the whole tree.")
endif()
include(CPack)
