# The Debian package: the install rules of the default component (programs
# under bin, the RAR layer under lib/orvanta, data files under
# share/orvanta, the menu entry and the icon in the freedesktop places, the
# documents under share/doc/orvanta) packed by CPack's DEB generator, with
# the dependencies computed by dpkg-shlibdeps. scripts/package builds it.
include(GNUInstallDirs)
foreach(program ov_news ovtool)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
if(TARGET ovrar)
  install(TARGETS ovrar LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/orvanta)
endif()
if(EXISTS ${PROJECT_SOURCE_DIR}/hlp)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/hlp DESTINATION ${CMAKE_INSTALL_DATADIR}/orvanta)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/data/package/orvanta.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/orvanta.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/readme.txt ${PROJECT_SOURCE_DIR}/data/package/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvanta)

# Debian wants the changelog compressed, without a time stamp in it (a
# native package's is named changelog.gz).
find_program(OV_GZIP gzip)
if(OV_GZIP)
  set(changelog ${PROJECT_BINARY_DIR}/package/changelog.gz)
  add_custom_command(OUTPUT ${changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/package
    COMMAND ${OV_GZIP} -9nc ${PROJECT_SOURCE_DIR}/data/package/changelog > ${changelog}
    DEPENDS ${PROJECT_SOURCE_DIR}/data/package/changelog VERBATIM)
  add_custom_target(ov_changelog ALL DEPENDS ${changelog})
  install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvanta)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvanta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Orvanta developers <orvanta@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keyboard-driven two-panel file manager")
set(CPACK_PACKAGE_DESCRIPTION "Orvanta shows two folders side by side with a command line beneath them;
the function keys view, edit, copy, move, create and delete files. Archives
open as folders, and a text editor, viewers, a resource explorer and a news
downloader come with it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The RAR layer is the programs' own, loaded at run time from lib/orvanta.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/archive/rarlayer)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
