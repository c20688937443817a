# `make package`: one .deb of the installed program (cpack -G DEB in a
# Release tree configured for the prefix /usr), with the MIT licence as
# /usr/share/doc/krmake/copyright (data/copyright). The library dependencies are
# found from the binaries with dpkg-shlibdeps; the package has no maintainer
# scripts: the desktop's caches (MIME types, icons, menus, manual pages) are
# brought up to date by the triggers of the packages that own them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME krmake)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "KR Designer developers")
set(CPACK_PACKAGE_CONTACT "KR Designer developers <krmake@example.org>")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "design sheet for the combat units of the KR tabletop game")
# The long description; CPack puts the summary before it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "KR Designer (ＫＲデザイナ) is a design sheet for the combat machines (KR units)
of a tabletop game. A unit starts from one of five stock models and is
equipped with options, locomotion modes and weapons from three catalogs;
after every change the sheet works out its figures by the game's rules.

Designs are kept in Shift_JIS unit files (.kr) and exported as clipboard
text or HTML pages, also from the command line with krreport.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its platform plugin at run time, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The windows want a Japanese Gothic face, Qt's own dialogs and menus read
# in Japanese with Qt's translations, and the HTML page is handed to the
# desktop's viewer through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-ipafont-gothic | fonts-vlgothic | fonts-noto-cjk, qt6-translations-l10n, xdg-utils")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
