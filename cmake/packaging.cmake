# Installing QSP as a desktop program, and the Debian package made from the installed tree.
#
# Layout below the install prefix. The program depends on the first two lines: it looks for
# Picture/ beside its executable and then in ../share/qsp/Picture.
#   bin/                               qsp, qspctl, qsp-scanner-sim
#   share/qsp/Picture/                 icons and help pages
#   share/applications/                <app id>.desktop
#   share/metainfo/                    <app id>.metainfo.xml
#   share/icons/hicolor/*/apps/        <app id>.svg and .png (16 to 256 pixels)
#   share/man/man1/                    qspctl.1.gz, qsp-scanner-sim.1.gz
#   lib/udev/rules.d/                  70-qsp-scanner.rules (read by udev for prefix /usr only)
#   share/ansible/collections/ansible_collections/qsp/scanner/
#                                      the Ansible collection qsp.scanner (found by Debian's
#                                      Ansible for prefix /usr only)
#
#   cmake --install build [--prefix DIR]     install
#   cd build && cpack -G DEB                 build/qsp_<version>_<arch>.deb, installing to /usr

# The application's id: the desktop entry, the AppStream component and the theme icon's name.
set(QSP_APP_ID io.github.qsp.QSP)

set(_qsp_desktop_dir ${CMAKE_SOURCE_DIR}/resources/desktop)
set(_qsp_icon_svg ${CMAKE_SOURCE_DIR}/resources/Picture/qsp.svg)

# --- Programs and their data -------------------------------------------------------------------

install(TARGETS qsp qspctl qsp-scanner-sim RUNTIME DESTINATION bin)

file(GLOB _qsp_picture_files CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/resources/Picture/*.html
  ${CMAKE_SOURCE_DIR}/resources/Picture/*.css
  ${CMAKE_SOURCE_DIR}/resources/Picture/*.svg)
install(FILES ${_qsp_picture_files} DESTINATION share/qsp/Picture)

install(FILES ${CMAKE_SOURCE_DIR}/resources/udev/70-qsp-scanner.rules DESTINATION lib/udev/rules.d)
# qspctl deploy as a service, and the system user it runs as.
install(FILES ${CMAKE_SOURCE_DIR}/resources/systemd/qspctl-deploy@.service
  DESTINATION lib/systemd/system)
install(FILES ${CMAKE_SOURCE_DIR}/resources/systemd/qsp.sysusers
  DESTINATION lib/sysusers.d RENAME qsp.conf)

install(DIRECTORY ${CMAKE_SOURCE_DIR}/ansible/qsp/scanner/
  DESTINATION share/ansible/collections/ansible_collections/qsp/scanner
  PATTERN __pycache__ EXCLUDE
  PATTERN *.tar.gz EXCLUDE)

# --- Desktop integration ---------------------------------------------------------------------

install(FILES ${_qsp_desktop_dir}/qsp.desktop
  DESTINATION share/applications RENAME ${QSP_APP_ID}.desktop)
install(FILES ${_qsp_desktop_dir}/${QSP_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${_qsp_icon_svg}
  DESTINATION share/icons/hicolor/scalable/apps RENAME ${QSP_APP_ID}.svg)

# The bitmap sizes of the theme icon, drawn from the SVG at build time.
find_program(QSP_RSVG_CONVERT rsvg-convert)
if(QSP_RSVG_CONVERT)
  set(_qsp_icon_pngs)
  foreach(size 16 32 48 64 128 256)
    set(_dir ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps)
    set(_png ${_dir}/${QSP_APP_ID}.png)
    add_custom_command(OUTPUT ${_png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_dir}
      COMMAND ${QSP_RSVG_CONVERT} --width=${size} --height=${size} --output=${_png} ${_qsp_icon_svg}
      DEPENDS ${_qsp_icon_svg}
      COMMENT "Drawing the ${size}x${size} application icon"
      VERBATIM)
    list(APPEND _qsp_icon_pngs ${_png})
    install(FILES ${_png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(qsp_icons ALL DEPENDS ${_qsp_icon_pngs})
else()
  message(WARNING "rsvg-convert not found (Debian package librsvg2-bin): the application icon is "
                  "installed as SVG only. scripts/setup.sh installs it.")
endif()

# --- Manual pages ----------------------------------------------------------------------------

set(_qsp_man_pages)
foreach(page qspctl.1 qsp-scanner-sim.1)
  set(_src ${CMAKE_SOURCE_DIR}/man/${page})
  set(_page ${CMAKE_BINARY_DIR}/man/${page})
  configure_file(${_src} ${_page} @ONLY)
  add_custom_command(OUTPUT ${_page}.gz
    COMMAND gzip -9 -n -f -k ${_page}
    DEPENDS ${_page}
    COMMENT "Compressing the manual page ${page}"
    VERBATIM)
  list(APPEND _qsp_man_pages ${_page}.gz)
endforeach()
add_custom_target(qsp_man ALL DEPENDS ${_qsp_man_pages})
install(FILES ${_qsp_man_pages} DESTINATION share/man/man1)

# --- Debian package --------------------------------------------------------------------------

# Maintainer scripts: let a running udev apply the rules to a scanner that is already plugged in.
# Where no udev runs (a container, a chroot) they do nothing.
set(_qsp_udev_reload [=[#!/bin/sh
set -e
if [ -S /run/udev/control ] && command -v udevadm >/dev/null 2>&1; then
  udevadm control --reload-rules || true
  udevadm trigger --action=change --subsystem-match=hidraw || true
  udevadm trigger --action=change --subsystem-match=misc --sysname-match='serio_raw*' || true
fi
exit 0
]=])
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/debian/postinst CONTENT "${_qsp_udev_reload}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/debian/postrm CONTENT "${_qsp_udev_reload}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qsp)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The QSP developers")
set(CPACK_PACKAGE_CONTACT "The QSP developers" CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "set up a handheld barcode scanner")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "QSP reads, edits and programs the parameters of a handheld barcode scanner\n"
  "connected over RS-232, USB or the PS/2 keyboard wedge, keeps them in parameter\n"
  "files, updates the scanner's firmware and tests what it sends. It comes with\n"
  "qspctl, a command-line tool for scripts, qsp-scanner-sim, a virtual scanner,\n"
  "and the Ansible collection qsp.scanner for scanners on many computers.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the linked libraries: the SVG icon plugins of Qt (the program's pictures are SVG), CJK
# fonts for the Chinese and Japanese interfaces, Qt's own translations for its dialogs, xdg-open
# for the help pages. libudev1 (hot-plug for qspctl deploy) and libhidapi-hidraw0 are found by
# shlibdeps and named here too.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n, libudev1, libhidapi-hidraw0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, xdg-utils")
# qsp.scanner serves Ansible on the computer that runs playbooks; a managed host needs qspctl only.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ansible-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_BINARY_DIR}/debian/postinst ${CMAKE_BINARY_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
