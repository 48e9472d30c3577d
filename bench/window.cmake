# Presenting frames in the window at twice the font's size, on SDL's dummy driver and software
# renderer: prints the time per present.
add_executable(windowpresent windowpresent.cpp)
target_link_libraries(windowpresent PRIVATE dropplewindow)
