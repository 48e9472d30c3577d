# Frame pacing on the real counter, with a console that shows nothing.
add_executable(pacing ${CMAKE_CURRENT_LIST_DIR}/pacing.cpp ${CMAKE_CURRENT_LIST_DIR}/nullconsole.cpp)
target_link_libraries(pacing PRIVATE dropplecore dropplesys)
