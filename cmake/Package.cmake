# The Debian package: `./dev package` runs cpack in a Release build. Depends come from the
# libraries the executables link (dpkg-shlibdeps), plus what they load at run time: the SQLite
# driver, the X11 platform plugin and the fonts the windows measure with. The PostgreSQL driver is
# recommended: apt installs it unless told not to, and a site on files runs without it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME torvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Torvane Software")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "booking schedule for vehicle service workshops")
# The summary is the synopsis line; this text follows it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Torvane keeps one page per day for a workshop's service desk: a grid of time
slots by technicians. Front-desk stations on a network share one database.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Torvane Software <support@torvane.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")
include(CPack)
