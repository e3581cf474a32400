# Installation and the Debian package.
#
#   <prefix>/lib/tarnell/            the program folder: tarnell, tarnell-browser.so (the
#                                    browser engine, opened on first use), tmp.htm, help/
#   <prefix>/bin/tarnell             symbolic link to ../lib/tarnell/tarnell
#   <prefix>/share/applications/tarnell.desktop
#   <prefix>/share/icons/hicolor/*/apps/tarnell.png, scalable/apps/tarnell.svg
#   <prefix>/share/metainfo/<id>.metainfo.xml, share/man/{,ja/}man1/tarnell.1.gz,
#   share/doc/tarnell/ (copyright, changelogs)
#
# The program finds tmp.htm and help/ beside its executable; started through the link,
# it still sees the real folder (the link is resolved to the executable's own path).
#
#   cmake --install build                       # under /usr/local
#   cmake --install build --prefix ~/.local     # for one user
#   cd build && cpack                           # tarnell_<version>_<arch>.deb, under /usr

get_filename_component(_tarnell_top "${CMAKE_CURRENT_LIST_DIR}" DIRECTORY)
set(TARNELL_PROGRAM_DIR "lib/tarnell" CACHE STRING "Program folder, relative to the installation prefix")

install(TARGETS tarnell RUNTIME DESTINATION ${TARNELL_PROGRAM_DIR})
if(TARGET tarnell_browser)
  install(TARGETS tarnell_browser LIBRARY DESTINATION ${TARNELL_PROGRAM_DIR})
endif()
install(FILES ${_tarnell_top}/resources/tmp.htm DESTINATION ${TARNELL_PROGRAM_DIR})
install(DIRECTORY ${_tarnell_top}/resources/help/ DESTINATION ${TARNELL_PROGRAM_DIR}/help
        PATTERN ".gitkeep" EXCLUDE)

# The command in bin: a relative link, so that the installed tree works wherever the
# prefix (or a package's staging folder) puts it.
file(RELATIVE_PATH _tarnell_link_target /prefix/bin /prefix/${TARNELL_PROGRAM_DIR}/tarnell)
set(_tarnell_link ${CMAKE_BINARY_DIR}/install-links/tarnell)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
file(CREATE_LINK ${_tarnell_link_target} ${_tarnell_link} SYMBOLIC)
install(FILES ${_tarnell_link} DESTINATION bin)

# Desktop entry and icons: Tarnell in the application menu and among the programs that
# open .htm files.
install(FILES ${_tarnell_top}/resources/tarnell.desktop DESTINATION share/applications)
foreach(_size 16 24 32 48 64 128 256)
  install(FILES ${_tarnell_top}/resources/pictures/tarnell-${_size}.png
          DESTINATION share/icons/hicolor/${_size}x${_size}/apps RENAME tarnell.png)
endforeach()
install(FILES ${_tarnell_top}/resources/pictures/tarnell.svg DESTINATION share/icons/hicolor/scalable/apps)

# AppStream metadata (software centres), manual pages (English, Japanese) and the
# package's documentation. The metadata's screenshots are the window gallery's pictures
# (docs/screenshots/), published under TARNELL_SCREENSHOT_URL.
set(TARNELL_APPSTREAM_ID "org.tarnell.tarnell" CACHE STRING "AppStream component id")
set(TARNELL_HOMEPAGE "https://tarnell.example.org/" CACHE STRING "Home page named in the AppStream metadata")
set(TARNELL_SCREENSHOT_URL "https://tarnell.example.org/screenshots" CACHE STRING "Where docs/screenshots/ is published")
set(_tarnell_pkg ${CMAKE_BINARY_DIR}/package)
configure_file(${_tarnell_top}/resources/package/tarnell.metainfo.xml.in
               ${_tarnell_pkg}/${TARNELL_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${_tarnell_pkg}/${TARNELL_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo)
# Compressed as Debian wants them (-n: no name or time stamp, so the package is reproducible).
find_program(TARNELL_GZIP gzip REQUIRED)
set(_tarnell_gz)
foreach(_pair "tarnell.1;man1/tarnell.1.gz" "tarnell.ja.1;ja/man1/tarnell.1.gz"
              "changelog;doc/changelog.gz")
  list(GET _pair 0 _in)
  list(GET _pair 1 _out)
  get_filename_component(_dir ${_tarnell_pkg}/${_out} DIRECTORY)
  add_custom_command(OUTPUT ${_tarnell_pkg}/${_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_dir}
    COMMAND ${TARNELL_GZIP} -9n -c ${_tarnell_top}/resources/package/${_in} > ${_tarnell_pkg}/${_out}
    DEPENDS ${_tarnell_top}/resources/package/${_in} VERBATIM)
  list(APPEND _tarnell_gz ${_tarnell_pkg}/${_out})
endforeach()
add_custom_target(package_files ALL DEPENDS ${_tarnell_gz})
install(FILES ${_tarnell_pkg}/man1/tarnell.1.gz DESTINATION share/man/man1)
install(FILES ${_tarnell_pkg}/ja/man1/tarnell.1.gz DESTINATION share/man/ja/man1)
# The package's version has no Debian revision, so its changelog is changelog.gz.
install(FILES ${_tarnell_top}/resources/package/copyright ${_tarnell_pkg}/doc/changelog.gz
        DESTINATION share/doc/tarnell)

# Debian package.
# (A mail host of "localhost" is an error for lintian; the address is a placeholder until
# the project has a domain of its own.)
set(TARNELL_PACKAGE_MAINTAINER "Tarnell developers <developers@tarnell.example.org>" CACHE STRING
    "Maintainer of the Debian package")
set(TARNELL_MAINTAINER "${TARNELL_PACKAGE_MAINTAINER}")
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tarnell")
set(CPACK_PACKAGE_VENDOR "Tarnell")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${TARNELL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "HTML source editor for Japanese web authors")
set(CPACK_PACKAGE_DESCRIPTION
    "Tarnell edits the HTML source of one web page at a time. Tag palettes,\n\
menus and dialogs put tags around the selection or at the caret (tables,\n\
frames, style sheets, image maps, gradient text and more), and an embedded\n\
browser shows the page as it will look. All of its texts are in Japanese.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TARNELL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "editors")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Every dependency comes from dpkg-shlibdeps, which reads the executable and the browser
# module alike: Qt 6 (with the browser engine's QtWebEngineProcess, which its library's
# package names), ICU and the C++ runtime.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Japanese input for fcitx5 users, Japanese fonts, and the serif of the About box title.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fcitx5-frontend-qt6, fonts-noto-cjk, fonts-urw-base35")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
include(CPack)
