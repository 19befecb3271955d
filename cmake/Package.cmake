# The Debian package (scripts/package.sh: `cpack -G DEB` in a release build). Its files are the
# install rules' files under /usr; its dependencies come from dpkg-shlibdeps, and Qt's translations.
set(CPACK_PACKAGE_NAME yb-downloader)
set(CPACK_PACKAGE_VENDOR "The yb-downloader developers")
set(CPACK_PACKAGE_CONTACT "${YB_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${YB_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "data logger downloader and viewer for solar race cars")
set(CPACK_PACKAGE_DESCRIPTION
    "YB DownLoader talks over one serial line (38400 baud) to the YB data logger
of a solar-powered race car. It downloads everything the logger holds
(solar and battery currents, main and sub voltages, speed, temperatures and
laps), saves it as one Shift-JIS CSV or TSV data file, reads and writes the
logger's settings (tyre circumference, battery initial capacity, recording
interval) and checks the connection.

Its viewer shows a run from a download or a saved data file as charts, with
a lap table and an energy summary, and exports it as UTF-8 CSV, an Excel
workbook, a MATLAB file or JSON. The same operations run from scripts
without a display. The window and its messages are in Japanese or English.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # yb-downloader_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${YB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs and buttons in the interface's language, and Qt SQL's SQLite driver (the run
# library's index), a plugin loaded at run time that dpkg-shlibdeps cannot see; added to what it
# finds.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, libqt6sql6-sqlite")
# The window and the data file's texts are Japanese: a font that has them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk | fonts-vlgothic")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
