# One static library per subsystem folder: every .cpp in the folder is a source, plus every
# .cpp in each backend folder named by BACKEND (for example app/sdl/ or render/libpng/), which
# holds what that folder needs from the platform the build is for. A backend may name more
# than one folder: one of its own and one it shares with its kin (app/desktop/, the frame
# driver of SDL and Win32).
# A folder that has no sources yet becomes an interface library so that its
# dependants can already link it.
function(zorbel_library name)
  cmake_parse_arguments(ARG "" "" "BACKEND;DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  foreach(backend IN LISTS ARG_BACKEND)
    if(NOT IS_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/${backend}")
      message(FATAL_ERROR "${name}: no backend folder ${backend}/ for this platform")
    endif()
    file(GLOB backend_sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${backend}/*.cpp")
    list(APPEND sources ${backend_sources})
  endforeach()
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
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    zorbel_add_suite_tests(${name} "${sources}")
    return()
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
    PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=offscreen")
endfunction()

# Under an emulator (Wine) every test process pays the emulator's start-up, so the tests run
# one process per test suite (the first name of TEST(Suite, ...)) rather than one per test.
# A last entry runs whatever those filters leave out, so a suite this scan misses still runs.
function(zorbel_add_suite_tests name sources)
  set(suites)
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" lines REGEX "^TEST(_F|_P)?\\(")
    foreach(line IN LISTS lines)
      if(line MATCHES "^TEST(_F|_P)?\\(([A-Za-z0-9_]+)")
        list(APPEND suites "${CMAKE_MATCH_2}")
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES suites)
  # A new suite in a test file sets up new entries.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${sources})
  set(covered)
  foreach(suite IN LISTS suites)
    add_test(NAME ${name}.${suite} COMMAND ${name} --gtest_filter=${suite}.*
      WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
    list(APPEND covered "${suite}.*")
  endforeach()
  list(JOIN covered ":" covered)
  add_test(NAME ${name}.others COMMAND ${name} --gtest_filter=-${covered}
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
  # A test that waits for something that never comes (a dialog, a display) fails in time.
  foreach(suite IN LISTS suites ITEMS others)
    set_tests_properties(${name}.${suite} PROPERTIES TIMEOUT 120)
  endforeach()
endfunction()
