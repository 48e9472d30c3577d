# Frame pacing on the real counter with a console that shows nothing, and the CPU the real game
# takes in a pseudo-terminal; each beside the old spinning wait, built into a copy of the game.
add_executable(dropple_spin ${CMAKE_SOURCE_DIR}/src/shell/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/spingame.cpp ${CMAKE_CURRENT_LIST_DIR}/spinwait.cpp)
target_link_libraries(dropple_spin PRIVATE dropplecore droppletermonly droppleaudio dropplesys)

find_package(Threads REQUIRED)
add_executable(pacing ${CMAKE_CURRENT_LIST_DIR}/pacing.cpp ${CMAKE_CURRENT_LIST_DIR}/spinwait.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nullconsole.cpp)
target_link_libraries(pacing PRIVATE dropplecore dropplesys util Threads::Threads)
target_include_directories(pacing PRIVATE ${CMAKE_SOURCE_DIR}/tests/e2e) # the tests' player
target_compile_definitions(pacing PRIVATE SLEEPING_GAME="$<TARGET_FILE:dropple>"
  SPINNING_GAME="$<TARGET_FILE:dropple_spin>")
add_dependencies(pacing dropple dropple_spin)
