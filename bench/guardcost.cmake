# What the processes that guard the terminal cost beside the game, idle in the menu.
add_executable(guardcost ${CMAKE_CURRENT_LIST_DIR}/guardcost.cpp)
target_link_libraries(guardcost PRIVATE util)
target_include_directories(guardcost PRIVATE ${CMAKE_SOURCE_DIR}/tests/e2e) # the tests' player
target_compile_definitions(guardcost PRIVATE GAME="$<TARGET_FILE:dropple>")
add_dependencies(guardcost dropple)
