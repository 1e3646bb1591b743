# Desktop integration and the Debian package. The executable and its help page are installed by
# app/CMakeLists.txt into libexec/tintel; everything a desktop needs to find them is added here.
include(GNUInstallDirs)

set(tintel_desktop_dir ${CMAKE_SOURCE_DIR}/resources/desktop)
install(FILES ${tintel_desktop_dir}/org.example.tintel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${tintel_desktop_dir}/org.example.tintel.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 128)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/tintel-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME tintel.png)
endforeach()

# Manual pages and the Debian changelog are shipped compressed the way Debian wants them: gzip -9
# without a name or a time stamp inside, so that two builds give the same bytes. They are
# compressed at configure time and again whenever their source changes.
set(tintel_packaging_dir ${CMAKE_SOURCE_DIR}/packaging)
function(tintel_gzip source output)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  execute_process(COMMAND gzip -n -9 -c ${source} OUTPUT_FILE ${output} COMMAND_ERROR_IS_FATAL ANY)
endfunction()
set(tintel_gz_dir ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${tintel_gz_dir}/man/fr)
tintel_gzip(${tintel_packaging_dir}/tintel.1 ${tintel_gz_dir}/man/tintel.1.gz)
tintel_gzip(${tintel_packaging_dir}/tintel.fr.1 ${tintel_gz_dir}/man/fr/tintel.1.gz)
tintel_gzip(${tintel_packaging_dir}/changelog ${tintel_gz_dir}/changelog.gz)
install(FILES ${tintel_gz_dir}/man/tintel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${tintel_gz_dir}/man/fr/tintel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/fr/man1)
install(FILES ${tintel_packaging_dir}/copyright ${tintel_gz_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tintel)

# A link rather than a copy: the program finds aide.htm beside its real executable, so the
# command on PATH must resolve into libexec. The link is relative and worked out at install time,
# so that `cmake --install --prefix` and CPack's own prefix give a tree that can be moved.
# The bracket argument below is not expanded, so the configured directories are handed over first.
install(CODE "set(bindir \"${CMAKE_INSTALL_BINDIR}\")\nset(libexecdir \"${CMAKE_INSTALL_LIBEXECDIR}\")")
install(CODE [[
  foreach(dir bindir libexecdir)
    cmake_path(ABSOLUTE_PATH ${dir} BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" NORMALIZE
               OUTPUT_VARIABLE ${dir})
  endforeach()
  file(RELATIVE_PATH tintel_target "${bindir}" "${libexecdir}/tintel/tintel")
  set(tintel_link "$ENV{DESTDIR}${bindir}/tintel")
  message(STATUS "Installing: ${tintel_link} -> ${tintel_target}")
  file(MAKE_DIRECTORY "$ENV{DESTDIR}${bindir}")
  file(CREATE_LINK "${tintel_target}" "${tintel_link}" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${tintel_link}")
]])

# One Debian package of the whole installed tree.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tintel)
set(CPACK_PACKAGE_VENDOR KWJ)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "KWJ <kwj@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "daily desktop reminder / rappel journalier de bureau")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
Type a time of day and a message; a small countdown window stays on top in
a corner of the screen until the alarm second, then Tintel beeps and shows
the message. One alarm at a time, kept only while the program runs.

Tapez une heure et un message : une petite fenêtre de compte à rebours reste
au premier plan jusqu'à la seconde de l'alarme, puis Tintel émet un bip et
affiche le message. Une seule alarme à la fois, tant que le programme est
ouvert.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.example.org/kwj/index.html)
# The libraries the binary really links, as dpkg-shlibdeps reads them from the ELF file.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What dpkg-shlibdeps cannot see. The windows name faces that the program substitutes with these
# fonts (windows/look.cpp); without them the labels fall back to another face and lose their look.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-urw-base35, fonts-liberation2, fonts-comic-neue")
# The program works without these: Qt's own texts in French, the function keys through the
# desktop's opener, and the beep through the sound theme (the X bell otherwise). The sound
# library is opened by name when an alarm draws near, so dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-translations-l10n, xdg-utils, libcanberra0, sound-theme-freedesktop, libcanberra-pulse")
include(CPack)
