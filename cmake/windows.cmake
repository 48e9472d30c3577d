# The Windows console build, included from the top CMakeLists.txt when cross-building with
# cmake/mingw-w64.cmake: the wincon/ back end instead of the terminal and SDL ones, sounds through
# the multimedia command strings, and tests run under Wine.

# Programs of this build run under Wine with a prefix inside the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR
  bash;${CMAKE_SOURCE_DIR}/cmake/winerun.sh;${CMAKE_BINARY_DIR}/wineprefix)

add_compile_definitions(_WIN32_WINNT=0x0A00 WIN32_LEAN_AND_MEAN NOMINMAX)

add_executable(dropple src/shell/main.cpp)
target_link_libraries(dropple PRIVATE dropplecore droppleconsole)

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
