# Settings file loader: any contents load, and a save gives back exactly what was read.
add_executable(savefile_fuzz ${CMAKE_CURRENT_LIST_DIR}/savefile.cpp)
target_compile_options(savefile_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_options(savefile_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_libraries(savefile_fuzz PRIVATE dropplecore dropplehead)
