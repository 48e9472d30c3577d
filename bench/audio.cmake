# Opening the sound device and loading the sound set, on the real SDL back end.
add_executable(audioload ${CMAKE_CURRENT_LIST_DIR}/audioload.cpp)
target_link_libraries(audioload PRIVATE dropplecore droppleaudio dropplesys)
target_compile_definitions(audioload PRIVATE SOUNDSET_HOME="${CMAKE_BINARY_DIR}")
add_dependencies(audioload soundset)
