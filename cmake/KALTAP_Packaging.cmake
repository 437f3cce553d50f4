# SPDX-License-Identifier: GPL-3.0-or-later
# Installation of the kaltap program (cmake --install, honouring
# CMAKE_INSTALL_PREFIX and DESTDIR), its Debian package (make package, CPack's
# DEB generator) and the checks of both, registered with ctest. Included by the
# top-level CMakeLists.txt for the builds that make the program; expects the
# version variables set there (KALTAP_VERSION_STRING, KALTAP_VERSION_TEXT,
# KALTAP_RELEASE_DATE).
#
# Installed (paths below the prefix, /usr in the package):
#   bin/kaltap                                   the program
#   share/applications/kaltap.desktop            the desktop entry
#   share/icons/hicolor/<size>/apps/kaltap.*     the icon, SVG and PNGs
#   share/metainfo/<id>.metainfo.xml             the AppStream description
#   share/man/man1/kaltap.1.gz                   the manual page
#   share/doc/kaltap/                            README, its pictures, copyright, changelog
include(GNUInstallDirs)

# Names and addresses the package publishes. The AppStream identifier must
# stay the same from one release to the next (software centres follow it),
# and its reverse domain name should be the homepage's.
set(KALTAP_PACKAGE_MAINTAINER "The kaltap developers <kaltap@example.org>" CACHE STRING
  "Maintainer of the Debian package (name <address>), also in its changelog")
set(KALTAP_HOMEPAGE_URL "https://kaltap.example.org" CACHE STRING
  "Homepage of the program; serves the repository's docs/ pictures under docs/")
set(KALTAP_APPSTREAM_ID "org.example.kaltap" CACHE STRING
  "AppStream component identifier (reverse domain name)")

set(KALTAP_PACKAGING_SOURCE ${CMAKE_SOURCE_DIR}/packaging)
set(KALTAP_PACKAGING_BINARY ${CMAKE_BINARY_DIR}/packaging)
set(KALTAP_ICON_SIZES 16 22 24 32 48 64 128 256)

# Files made from templates: the version and dates come from the one place in
# the top-level CMakeLists.txt. The changelog wants the release date in the
# RFC 5322 form of Debian changelogs.
execute_process(COMMAND date -u -R -d "${KALTAP_RELEASE_DATE} 12:00"
  OUTPUT_VARIABLE KALTAP_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE kaltap_date_status)
if(NOT kaltap_date_status EQUAL 0)
  message(FATAL_ERROR "KALTAP_RELEASE_DATE ${KALTAP_RELEASE_DATE} is not a date (YYYY-MM-DD)")
endif()
set(KALTAP_METAINFO_FILE ${KALTAP_APPSTREAM_ID}.metainfo.xml)
configure_file(${KALTAP_PACKAGING_SOURCE}/kaltap.metainfo.xml.in
  ${KALTAP_PACKAGING_BINARY}/${KALTAP_METAINFO_FILE} @ONLY)
configure_file(${KALTAP_PACKAGING_SOURCE}/kaltap.1.in ${KALTAP_PACKAGING_BINARY}/kaltap.1 @ONLY)
configure_file(${KALTAP_PACKAGING_SOURCE}/changelog.in ${KALTAP_PACKAGING_BINARY}/changelog @ONLY)

# Debian installs manual pages and changelogs compressed; -n leaves out the
# name and time stamp so that the same sources give the same package.
set(kaltap_compressed)
foreach(file kaltap.1 changelog)
  add_custom_command(OUTPUT ${KALTAP_PACKAGING_BINARY}/${file}.gz
    COMMAND gzip -9 -n -k -f ${KALTAP_PACKAGING_BINARY}/${file}
    DEPENDS ${KALTAP_PACKAGING_BINARY}/${file}
    COMMENT "Compressing ${file}" VERBATIM)
  list(APPEND kaltap_compressed ${KALTAP_PACKAGING_BINARY}/${file}.gz)
endforeach()
add_custom_target(kaltap_packaging_files ALL DEPENDS ${kaltap_compressed})

# Directories the installation creates: rwxr-xr-x whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS kaltap RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${KALTAP_PACKAGING_SOURCE}/kaltap.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KALTAP_PACKAGING_SOURCE}/icons/kaltap.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${KALTAP_ICON_SIZES})
  install(FILES ${KALTAP_PACKAGING_SOURCE}/icons/${size}x${size}/kaltap.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${KALTAP_PACKAGING_BINARY}/${KALTAP_METAINFO_FILE}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KALTAP_PACKAGING_BINARY}/kaltap.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${KALTAP_PACKAGING_SOURCE}/copyright
  ${KALTAP_PACKAGING_BINARY}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The README's pictures, so that its links work in the installed copy.
file(GLOB kaltap_readme_pictures ${CMAKE_SOURCE_DIR}/docs/*.png)
install(FILES ${kaltap_readme_pictures} DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)

# The Debian package: kaltap_<version>_<arch>.deb in the build folder. Its
# run-time dependencies are computed from the program by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kaltap)
set(CPACK_PACKAGE_VERSION ${KALTAP_VERSION_STRING})
set(CPACK_PACKAGE_VENDOR "The kaltap developers")
set(CPACK_PACKAGE_CONTACT ${KALTAP_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "linear-phase FIR filter design with the Parks-McClellan method")
set(CPACK_PACKAGE_DESCRIPTION
  "kaltap is a desktop program that designs linear-phase FIR (finite impulse
response) digital filters with the Parks-McClellan equiripple method: a Remez
exchange over a dense frequency grid that gives the minimax weighted
approximation of a desired response, for odd and even lengths with symmetric
or antisymmetric impulse responses.

It designs multiple-band band-pass filters, differentiators and Hilbert
transformers; two-band low-pass and high-pass filters for which it finds the
number of weights, the transition width, the passband ripple or the stopband
attenuation; and equalizers that follow a measured response. Weights can be
quantized to 2 to 48 bits. Results are a design report, run logs, CSV files
and frequency-response plots.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KALTAP_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${KALTAP_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)

# Checks: the command line of the built program, and the package (its
# metadata validated, its contents, an install into a scratch root and
# lintian). The package check builds its own copy of the package in
# packaging/check, so it does not race a make package.
add_test(NAME packaging_command_line
  COMMAND bash ${KALTAP_PACKAGING_SOURCE}/check-command-line.sh
    $<TARGET_FILE:kaltap> ${KALTAP_VERSION_STRING})
add_test(NAME packaging_checks
  COMMAND bash ${KALTAP_PACKAGING_SOURCE}/check-package.sh
    ${CMAKE_BINARY_DIR} ${KALTAP_VERSION_STRING} ${KALTAP_APPSTREAM_ID} ${CMAKE_CPACK_COMMAND})
set_tests_properties(packaging_command_line packaging_checks PROPERTIES TIMEOUT 300)
