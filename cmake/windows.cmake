# The Windows console build, included from the top CMakeLists.txt when cross-building with
# cmake/mingw-w64.cmake: the wincon/ back end instead of the terminal and SDL ones, sounds through
# the multimedia command strings, and tests run under Wine.

# Programs of this build run under Wine with a prefix inside the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR
  bash;${CMAKE_SOURCE_DIR}/cmake/winerun.sh;${CMAKE_BINARY_DIR}/wineprefix)

add_compile_definitions(_WIN32_WINNT=0x0A00 WIN32_LEAN_AND_MEAN NOMINMAX)

# The program's icon (drawn by tools/iconsgen) and version information, compiled by windres.
enable_language(RC)
set(DROPPLE_ICO ${CMAKE_BINARY_DIR}/generated/dropple.ico)
configure_file(${CMAKE_SOURCE_DIR}/windows/dropple.rc.in ${CMAKE_BINARY_DIR}/generated/dropple.rc
  @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/generated/dropple.rc PROPERTIES
  OBJECT_DEPENDS ${DROPPLE_ICO})
add_executable(dropple src/shell/main.cpp ${CMAKE_BINARY_DIR}/generated/dropple.rc)
target_link_libraries(dropple PRIVATE dropplecore droppleconsole)
add_dependencies(dropple programicon)

# The download for Windows players, a zip and an installer in release/ (windows/package.sh):
#   cmake --build build-win --target release
add_custom_target(release
  COMMAND bash ${CMAKE_SOURCE_DIR}/windows/package.sh $<TARGET_FILE:dropple> ${CMAKE_BINARY_DIR}/audio
    ${DROPPLE_ICO} ${CMAKE_SOURCE_DIR} ${PROJECT_VERSION} ${CMAKE_STRIP} ${CMAKE_BINARY_DIR}/release
  COMMENT "Packing the zip and the installer"
  VERBATIM)
add_dependencies(release dropple soundset)

# GoogleTest from Debian's source package, built with the cross compiler; the Linux libraries
# of libgtest-dev cannot link into a Windows program.
if(DROPPLE_TESTS)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main)
    target_compile_options(${t} PRIVATE -Wno-error)
  endforeach()
endif()
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
