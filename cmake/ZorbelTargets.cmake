# One static library per subsystem folder: every .cpp in the folder is a source, plus every
# .cpp in the backend folder named by BACKEND (for example app/sdl/ or render/libpng/), which
# holds what that folder needs from the platform the build is for.
# A folder that has no sources yet becomes an interface library so that its
# dependants can already link it.
function(zorbel_library name)
  cmake_parse_arguments(ARG "" "BACKEND" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(ARG_BACKEND)
    if(NOT IS_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/${ARG_BACKEND}")
      message(FATAL_ERROR "${name}: no backend folder ${ARG_BACKEND}/ for this platform")
    endif()
    file(GLOB backend_sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${ARG_BACKEND}/*.cpp")
    list(APPEND sources ${backend_sources})
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE "${PROJECT_SOURCE_DIR}")
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# One GoogleTest executable per test folder: every .cpp in the folder is a source, plus the
# tests of this platform's backend in the subfolder of the platform's name, when there is one.
# Tests run with SDL's offscreen video driver so that GL tests need no display.
function(zorbel_test name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
    "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp"
    "${CMAKE_CURRENT_SOURCE_DIR}/${ZORBEL_PLATFORM}/*.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} zorbel_test_support GTest::gtest)
  target_compile_definitions(${name} PRIVATE
    ZORBEL_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    ZORBEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
    PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=offscreen")
endfunction()
