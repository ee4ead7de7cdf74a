# Programs of a Windows cross build run under Wine: tests through CTest, tools through the
# wine-run script this writes into the build folder. Wine keeps its state in a prefix of the
# build's own (build/<preset>/wine), made on first use.
find_program(ZORBEL_WINE wine)
if(NOT ZORBEL_WINE)
  message(FATAL_ERROR "Running the Windows build's tests needs Wine (Debian packages wine, wine64)")
endif()
set(ZORBEL_WINEPREFIX "${CMAKE_BINARY_DIR}/wine")
configure_file("${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in" "${CMAKE_BINARY_DIR}/wine-run" @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_BINARY_DIR}/wine-run")
