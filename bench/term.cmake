# The terminal renderer's bytes and time per presented frame.
add_executable(termrender ${CMAKE_CURRENT_LIST_DIR}/termrender.cpp)
target_link_libraries(termrender PRIVATE dropplecore dropplehead droppletermparts
  benchmark::benchmark)
