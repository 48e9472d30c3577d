# The web page, included from the top CMakeLists.txt when configured with Debian's emscripten
# (scripts/build-web): the game as dropple.js and dropple.wasm beside index.html in page/, a folder
# any static web server can serve. Its tests drive a browser from the native build (tests/web).
set(DROPPLE_TESTS OFF)
set(DROPPLE_BENCH OFF)

# Debian's nodejs does not look in /usr/share/nodejs, where emscripten's optimiser finds acorn.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)

add_executable(dropple src/shell/main.cpp)
target_link_libraries(dropple PRIVATE dropplecore dropplepage)
set(web ${CMAKE_SOURCE_DIR}/src/platform/web)
# Asyncify lets the game keep its own loop: each frame's wait returns to the browser and the game
# goes on where it stopped.
target_link_options(dropple PRIVATE
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sALLOW_MEMORY_GROWTH=1
  -sENVIRONMENT=web -sEXPORTED_FUNCTIONS=_main,_malloc,_free
  --pre-js ${web}/page.js)
# The page is build-web/page/, on its own.
set_target_properties(dropple PROPERTIES LINK_DEPENDS ${web}/page.js
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/page)
configure_file(${web}/index.html ${CMAKE_BINARY_DIR}/page/index.html COPYONLY)
