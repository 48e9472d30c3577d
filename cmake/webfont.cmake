# The window's font for the web page (included from tools/CMakeLists.txt): fontgen is built with
# the machine's own compiler, since the page's compiler makes programs only a browser runs.
find_file(DROPPLE_UNIFONT unifont.hex PATHS /usr/share/unifont NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT DROPPLE_UNIFONT)
  message(FATAL_ERROR "unifont.hex not found: install the Debian package unifont (scripts/setup)")
endif()
find_program(DROPPLE_HOSTCXX NAMES c++ g++ clang++ NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(host ${CMAKE_BINARY_DIR}/host)
add_custom_command(
  OUTPUT ${host}/fontgen
  COMMAND ${CMAKE_COMMAND} -E make_directory ${host}
  COMMAND ${DROPPLE_HOSTCXX} -std=c++20 -O2 -I${CMAKE_SOURCE_DIR}/src
          ${CMAKE_CURRENT_SOURCE_DIR}/fontgen.cpp -o ${host}/fontgen
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/fontgen.cpp ${CMAKE_SOURCE_DIR}/src/platform/cp437.h
  COMMENT "Building the font tool for this machine")
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/generated/windowfont.cpp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND ${host}/fontgen ${DROPPLE_UNIFONT} ${CMAKE_BINARY_DIR}/generated/windowfont.cpp
  DEPENDS ${host}/fontgen ${DROPPLE_UNIFONT}
  COMMENT "Taking the code page 437 glyphs from GNU Unifont")
add_library(dropplefont STATIC ${CMAKE_BINARY_DIR}/generated/windowfont.cpp)
