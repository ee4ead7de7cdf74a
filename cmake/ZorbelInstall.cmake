# Installing like a Linux game (cmake --install, any prefix) and packaging it with CPack as a
# .deb and a .tar.gz (scripts/package.sh). The installed tree is relocatable: the game finds
# its data as ../share/zorbel/data from its own folder (app/data_directory.cpp).
include(GNUInstallDirs)

file(RELATIVE_PATH zorbel_data_from_program "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_DATADIR}/zorbel/data")
if(NOT zorbel_data_from_program STREQUAL "../share/zorbel/data")
  message(WARNING "The installed game looks for its data as ../share/zorbel/data from its own folder, "
                  "but these install directories put it at ${zorbel_data_from_program}")
endif()

set(ZORBEL_PACKAGING_DIR "${PROJECT_SOURCE_DIR}/packaging/linux")

install(TARGETS zorbel RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(DIRECTORY "${PROJECT_SOURCE_DIR}/data/" DESTINATION "${CMAKE_INSTALL_DATADIR}/zorbel/data")
install(FILES "${ZORBEL_PACKAGING_DIR}/zorbel.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")

# The icons that tools/assetgen paints, one file per size: zorbel-SIZE.png.
file(GLOB zorbel_icons CONFIGURE_DEPENDS "${ZORBEL_PACKAGING_DIR}/zorbel-*.png")
foreach(icon IN LISTS zorbel_icons)
  string(REGEX REPLACE ".*zorbel-([0-9]+)\\.png$" "\\1" size "${icon}")
  install(FILES "${icon}" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps" RENAME zorbel.png)
endforeach()

# The manual page carries the project's version and is installed compressed, as manual
# pages are on Debian.
configure_file("${ZORBEL_PACKAGING_DIR}/zorbel.6.in" "${CMAKE_CURRENT_BINARY_DIR}/man/zorbel.6" @ONLY)
file(ARCHIVE_CREATE OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/man/zorbel.6.gz"
  PATHS "${CMAKE_CURRENT_BINARY_DIR}/man/zorbel.6" FORMAT raw COMPRESSION GZip COMPRESSION_LEVEL 9)
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/man/zorbel.6.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")

# Packages: the .deb depends on the shared libraries the program links (SDL2, libpng, the GL
# dispatch library and the C and C++ runtimes), as dpkg-shlibdeps finds them, and on libgl1,
# which SDL loads itself to make the GL context. The .tar.gz holds the same tree under
# zorbel-VERSION-Linux/.
set(CPACK_PACKAGE_NAME zorbel)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "QUIX 5 Zorbel developers <zorbel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "little round world under a star sky, a small real-time 3D game")
set(CPACK_PACKAGE_DESCRIPTION "Scroll a little round world of grass, trees and a fence under a star sky, seen
from above and behind. Near the rim the trees and the fence lean outward, so the
world reads as a tiny planet whose horizon bends away. Needs OpenGL 2.1 or later.")
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS libgl1)
include(CPack)
