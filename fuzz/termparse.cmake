# The terminal input parser and the key state behind it.
set(termsrc ${CMAKE_SOURCE_DIR}/src/console/platform)
add_executable(termparse_fuzz ${CMAKE_CURRENT_LIST_DIR}/termparse.cpp
  ${termsrc}/term_parse.cpp ${termsrc}/term_vk.cpp ${termsrc}/term_keys.cpp
  ${termsrc}/keyqueue.cpp)
target_include_directories(termparse_fuzz PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_options(termparse_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_options(termparse_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
