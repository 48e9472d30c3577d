# Start-up and per-frame cost of the terminal's keyboard, against pseudo-terminals.
set(termsrc ${CMAKE_SOURCE_DIR}/src/console/platform)
add_executable(termprobe ${CMAKE_CURRENT_LIST_DIR}/termprobe.cpp
  ${termsrc}/term_input.cpp ${termsrc}/term_parse.cpp ${termsrc}/term_vk.cpp
  ${termsrc}/term_keys.cpp ${termsrc}/term_keys_x11.cpp ${termsrc}/term_keys_devices.cpp)
target_include_directories(termprobe PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(termprobe PRIVATE util dropplekeyqueue)
