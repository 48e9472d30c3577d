# Replay reader: any bytes are read or refused without a fault, and what it reads writes back the
# same bytes.
add_executable(replay_fuzz ${CMAKE_CURRENT_LIST_DIR}/replay.cpp
                           ${CMAKE_SOURCE_DIR}/src/shell/replay.cpp)
target_compile_options(replay_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_options(replay_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_libraries(replay_fuzz PRIVATE dropplecore dropplehead)
