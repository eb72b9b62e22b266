# `make package` (the `package` target, that is cpack): a Debian package of
# what `cmake --install` installs, laid out under /usr: the program folder in
# /usr/lib/sonvera, the launchers in /usr/bin, the desktop entry, the icon and
# the metainfo under /usr/share. The .deb lands in the build folder.

set(SONVERA_PACKAGE_MAINTAINER "The Sonvera developers <maintainers@sonvera.app>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sonvera)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Sonvera developers")
set(CPACK_PACKAGE_CONTACT "${SONVERA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch video converter for old FLV clips")
# Without this CPack would fall back to its own generic description text.
set(CPACK_PACKAGE_DESCRIPTION
    "Sonvera converts a whole list of media files, typically old FLV clips,
one after another into one of nine formats: RMVB, RM, MPG, AVI,
high-definition MP4, MOV, mobile MP4, 3GP or MP3. Every format fills in a
sensible preset of video and audio parameters; the list shows live progress,
failed files stay in it with the reason, and existing files are never
overwritten.

The package holds the window (sonvera) and a command-line converter for
scripts (sonvera-cli). The conversions are done by Debian's ffmpeg, with
libopencore-amrnb for the AMR-NB audio of 3GP and mobile MP4 files.")

# The install rules use relative destinations; cpack re-runs them with this
# prefix. The launchers are relative symbolic links into the program folder,
# so the program finds its data/ folder through them.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The staging tree is made with the builder's umask; a package must not
# inherit a group-writable one.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # sonvera_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SONVERA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.sonvera.app/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# The libraries the programs link (Qt 6's, libopencore-amrnb) come from
# dpkg-shlibdeps. Those packages also carry the plugins a desktop needs: the
# xcb platform and input-method plugins (libqt6gui6), the SVG icon engine and
# image format (libqt6svg6), the audio backend (libqt6multimedia6). What is
# not linked is listed here: the encoders run ffmpeg; the Chinese captions need
# a CJK font, and Qt's own dialogs speak Chinese with Qt's translations
# (qt6-translations-l10n); opening the output folder and the user guide goes
# through xdg-open.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "ffmpeg, fonts-wqy-microhei | fonts-wqy-zenhei | fonts-noto-cjk, qt6-translations-l10n, xdg-utils")
# The many-machines scripts in the examples read sonvera-cli's --json with jq.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "jq")
# On a Wayland desktop (GNOME's default session) the window runs natively
# with Qt's Wayland platform plugin; without it Qt falls back to X11
# (XWayland), so it is recommended (apt installs it by default), not required.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

# What Debian asks of every package: the copyright, a changelog and a manual
# page for each program, compressed with gzip -9n (no name or time stamp, so
# the package does not change from one build to the next).
set(SONVERA_DEBIAN_DIR "${PROJECT_SOURCE_DIR}/resources/debian")
set(SONVERA_DOC_BUILD_DIR "${CMAKE_BINARY_DIR}/debian-doc")
find_program(SONVERA_GZIP NAMES gzip REQUIRED)
configure_file("${SONVERA_DEBIAN_DIR}/sonvera.1.in" "${SONVERA_DOC_BUILD_DIR}/in/sonvera.1" @ONLY)
set(SONVERA_GZIPPED_DOCS)
foreach(source "${SONVERA_DEBIAN_DIR}/changelog" "${SONVERA_DOC_BUILD_DIR}/in/sonvera.1")
  get_filename_component(name "${source}" NAME)
  set(copy "${SONVERA_DOC_BUILD_DIR}/${name}")
  add_custom_command(
    OUTPUT "${copy}.gz"
    COMMAND ${CMAKE_COMMAND} -E copy "${source}" "${copy}"
    COMMAND "${SONVERA_GZIP}" -9nf "${copy}"
    DEPENDS "${source}"
    COMMENT "Compressing ${name} for the Debian package"
    VERBATIM)
  list(APPEND SONVERA_GZIPPED_DOCS "${copy}.gz")
endforeach()
add_custom_target(sonvera_debian_docs ALL DEPENDS ${SONVERA_GZIPPED_DOCS})

install(FILES "${SONVERA_DEBIAN_DIR}/copyright" "${SONVERA_DOC_BUILD_DIR}/changelog.gz"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/sonvera")
install(FILES "${SONVERA_DOC_BUILD_DIR}/sonvera.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
# Spreading a batch over many machines: the guide and the Slurm and GNU
# parallel scripts it tells users to copy into the folder they submit from.
install(FILES "${PROJECT_SOURCE_DIR}/docs/many-machines.md" "${PROJECT_SOURCE_DIR}/docs/sonvera-array.sbatch"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/sonvera/examples")
install(PROGRAMS "${PROJECT_SOURCE_DIR}/docs/sonvera-array-resubmit" "${PROJECT_SOURCE_DIR}/docs/sonvera-group"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/sonvera/examples")
# One page describes both programs.
install(CODE "
  file(CREATE_LINK sonvera.1.gz
       \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_MANDIR}/man1/sonvera-cli.1.gz\" SYMBOLIC)
")

include(CPack)
