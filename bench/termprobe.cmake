# Start-up and per-frame cost of the terminal's keyboard, against pseudo-terminals.
add_executable(termprobe ${CMAKE_CURRENT_LIST_DIR}/termprobe.cpp)
target_link_libraries(termprobe PRIVATE droppletermkeys util)
