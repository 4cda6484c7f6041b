# The .deb, made by CPack: both executables in /usr/bin, their manual pages,
# the README, copyright and changelog. SOURCE_DATE_EPOCH fixes its times.

set(deb_architecture_of_x86_64 amd64)
set(deb_architecture_of_aarch64 arm64)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${deb_architecture_of_${CMAKE_SYSTEM_PROCESSOR}})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "notecreator developers <dev@notecreator.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "writes text notes onto a PSP memory card for Velloran")
# CPack puts the summary first, as the synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "notecreator_en and notecreator_fr ask, in English or in French, for a note's
title, an optional comment and its text, and write the note into the notes
folder of Velloran, the PSP's notes application, on the PSP's memory card
mounted on this computer.")
# Linked statically, so that one package installs on old and new releases
# alike: no library to depend on. Lintian calls a static executable an error;
# the overrides file says why it is one here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
install(FILES packaging/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME ${PROJECT_NAME})
include(CPack)
