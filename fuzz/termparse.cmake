# The terminal input parser and the key state behind it.
add_executable(termparse_fuzz ${CMAKE_CURRENT_LIST_DIR}/termparse.cpp)
target_link_libraries(termparse_fuzz PRIVATE droppletermparts)
target_compile_options(termparse_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_options(termparse_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
