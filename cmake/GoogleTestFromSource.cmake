# A cross build cannot link the distribution's GoogleTest libraries, which are built for the
# build machine. It builds GoogleTest from the sources Debian ships (package googletest) with
# the cross compiler instead, inside this build, and offers the same target GTest::gtest.
set(ZORBEL_GTEST_SOURCE_DIR "/usr/src/googletest/googletest" CACHE PATH
  "GoogleTest sources that cross builds compile (Debian package googletest)")
if(NOT EXISTS "${ZORBEL_GTEST_SOURCE_DIR}/CMakeLists.txt")
  message(FATAL_ERROR "No GoogleTest sources in ${ZORBEL_GTEST_SOURCE_DIR}: install the googletest package")
endif()

# GoogleTest keeps its own compiler settings, without our warning options.
get_directory_property(zorbel_saved_options COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
add_subdirectory("${ZORBEL_GTEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${zorbel_saved_options}")
if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS gtest)
endif()
