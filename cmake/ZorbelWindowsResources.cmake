# zorbel.exe's resources: the icon (packaging/windows/zorbel.ico, painted by tools/assetgen),
# the application manifest and the version information, compiled by the toolchain's windres.
enable_language(RC)

set(ZORBEL_WINDOWS_DIR "${PROJECT_SOURCE_DIR}/packaging/windows")
# Windows keeps four numbers: major, minor, patch and tweak, missing ones 0.
set(quad "")
foreach(part MAJOR MINOR PATCH TWEAK)
  set(number "${PROJECT_VERSION_${part}}")
  if(number STREQUAL "")
    set(number 0)
  endif()
  list(APPEND quad "${number}")
endforeach()
string(REPLACE ";" "," ZORBEL_VERSION_QUAD "${quad}")
string(REPLACE ";" "." ZORBEL_VERSION_QUAD_DOTS "${quad}")
file(STRINGS "${PROJECT_SOURCE_DIR}/LICENSE" ZORBEL_COPYRIGHT LIMIT_COUNT 1)

configure_file("${ZORBEL_WINDOWS_DIR}/zorbel.manifest.in" "${CMAKE_CURRENT_BINARY_DIR}/zorbel.manifest" @ONLY)
configure_file("${ZORBEL_WINDOWS_DIR}/zorbel.rc.in" "${CMAKE_CURRENT_BINARY_DIR}/zorbel.rc" @ONLY)
target_sources(zorbel PRIVATE "${CMAKE_CURRENT_BINARY_DIR}/zorbel.rc")
set_source_files_properties("${CMAKE_CURRENT_BINARY_DIR}/zorbel.rc" PROPERTIES
  OBJECT_DEPENDS "${ZORBEL_WINDOWS_DIR}/zorbel.ico;${CMAKE_CURRENT_BINARY_DIR}/zorbel.manifest")
