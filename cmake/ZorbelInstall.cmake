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
set(ZORBEL_CONTACT "QUIX 5 Zorbel developers <zorbel@example.org>")

install(TARGETS zorbel RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(DIRECTORY "${PROJECT_SOURCE_DIR}/data/" DESTINATION "${CMAKE_INSTALL_DATADIR}/zorbel/data")
install(FILES "${ZORBEL_PACKAGING_DIR}/zorbel.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")

# The icons that tools/assetgen paints, one file per size: zorbel-SIZE.png.
file(GLOB zorbel_icons CONFIGURE_DEPENDS "${ZORBEL_PACKAGING_DIR}/zorbel-*.png")
foreach(icon IN LISTS zorbel_icons)
  string(REGEX REPLACE ".*zorbel-([0-9]+)\\.png$" "\\1" size "${icon}")
  install(FILES "${icon}" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps" RENAME zorbel.png)
endforeach()

# The licence, the changelog and the manual page. Debian wants the licence as a
# machine-readable copyright file and the documents compressed without a timestamp (gzip -n),
# so that two builds give the same bytes.
find_program(ZORBEL_GZIP gzip REQUIRED)
function(zorbel_gzip source output)
  execute_process(COMMAND "${ZORBEL_GZIP}" -9 -n -c "${source}" OUTPUT_FILE "${output}" COMMAND_ERROR_IS_FATAL ANY)
endfunction()
set(zorbel_docs "${CMAKE_CURRENT_BINARY_DIR}/doc")

# The copyright file is the LICENSE in Debian's fields: its first line gives the holder, the
# rest is the licence text (indented, blank lines as " .").
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/LICENSE")
file(READ "${PROJECT_SOURCE_DIR}/LICENSE" licence)
string(REGEX MATCH "^Copyright \\(c\\) ([^\n]*)" _ "${licence}")
set(holder "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^[^\n]*\n\n" "" terms "${licence}")
string(REGEX REPLACE "\n+$" "" terms "${terms}")
string(REGEX REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REGEX REPLACE "\n" "\n " terms "${terms}")
file(WRITE "${zorbel_docs}/copyright"
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: zorbel\n"
  "Upstream-Contact: ${ZORBEL_CONTACT}\n\n"
  "Files: *\n"
  "Copyright: ${holder}\n"
  "License: Zlib\n"
  " ${terms}\n")

configure_file("${ZORBEL_PACKAGING_DIR}/changelog" "${zorbel_docs}/changelog" COPYONLY)
file(STRINGS "${zorbel_docs}/changelog" newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^zorbel \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/linux/changelog starts with \"${newest}\": give version ${PROJECT_VERSION} "
                      "its entry at the top")
endif()
zorbel_gzip("${zorbel_docs}/changelog" "${zorbel_docs}/changelog.gz")
install(FILES "${zorbel_docs}/copyright" "${zorbel_docs}/changelog.gz" DESTINATION "${CMAKE_INSTALL_DOCDIR}")

configure_file("${ZORBEL_PACKAGING_DIR}/zorbel.6.in" "${CMAKE_CURRENT_BINARY_DIR}/man/zorbel.6" @ONLY)
zorbel_gzip("${CMAKE_CURRENT_BINARY_DIR}/man/zorbel.6" "${CMAKE_CURRENT_BINARY_DIR}/man/zorbel.6.gz")
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/man/zorbel.6.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")

# Packages: the .deb depends on the shared libraries the program links (SDL2, libpng, the GL
# dispatch library and the C and C++ runtimes), as dpkg-shlibdeps finds them, and on libgl1,
# which SDL loads itself to make the GL context. The .tar.gz holds the installed tree under
# zorbel-VERSION-Linux/ with the LICENSE on top. packaging/linux/package-tree.cmake finishes
# each package's tree: the program stripped as Debian strips it, and in the .deb moved to
# /usr/games, where Debian keeps games (../share/zorbel/data is the same from there).
# The version has no Debian revision: this is the project's own package (a native one).
set(CPACK_PACKAGE_NAME zorbel)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${ZORBEL_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small real-time 3D toy: a little round world under a star sky")
set(CPACK_PACKAGE_DESCRIPTION "Scroll a little round world of grass, trees and a fence under a star sky,
seen from above and behind. Near the rim the trees and the fence lean outward,
so the world reads as a tiny planet whose horizon bends away. It is a toy
without a goal: nothing can be won or lost. Needs OpenGL 2.1 or later.")
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS libgl1)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(ZORBEL_LICENSE_FILE "${PROJECT_SOURCE_DIR}/LICENSE")
configure_file("${ZORBEL_PACKAGING_DIR}/package-tree.cmake.in" "${CMAKE_CURRENT_BINARY_DIR}/package-tree.cmake" @ONLY)
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_BINARY_DIR}/package-tree.cmake")
include(CPack)
