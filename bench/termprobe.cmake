# Start-up and per-frame cost of the terminal's keyboard, against pseudo-terminals.
set(termsrc ${CMAKE_SOURCE_DIR}/src/console/platform/term)
add_executable(termprobe ${CMAKE_CURRENT_LIST_DIR}/termprobe.cpp
  ${termsrc}/input.cpp ${termsrc}/x11.cpp ${termsrc}/devices.cpp)
target_link_libraries(termprobe PRIVATE droppletermparts dropplesys util)
