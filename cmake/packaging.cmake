# The Debian package: cpack -G DEB in the build folder makes
# pendulix_<version>_<arch>.deb from what cmake --install puts in /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pendulix)
set(CPACK_PACKAGE_VENDOR "Pendulix")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installed with DESTDIR, so that the desktop entry names /usr/bin/Pendulix
# and not the folder the package is made in.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "resident task scheduler for the desktop")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Pendulix lists programs, scripts, documents and web addresses, each with a
minute, an hour and days of the week, or with an interval of so many
minutes. It lives in the notification area, starts what is due each minute
and records every start and failure in a history and in a journal file per
day. Its interface is French, with English switchable at run time; its
entries can also be listed and run from a terminal.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Pendulix developers <dev@pendulix.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.pendulix.example")
# The libraries it links tell its dependencies (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
