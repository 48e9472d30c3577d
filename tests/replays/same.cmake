# Records the games of this folder again into a scratch folder and checks that every file comes
# out byte for byte as it is here: the recorded games can always be made again from the tree.
# Run as: cmake -Drecorder=EMULATOR|PROGRAM -Dscratch=DIR -P same.cmake
string(REPLACE "|" ";" recorder "${recorder}")
file(REMOVE_RECURSE ${scratch})
file(MAKE_DIRECTORY ${scratch})
execute_process(COMMAND ${recorder} ${scratch} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the recorder failed (${status})")
endif()
file(GLOB kept RELATIVE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/*.replay)
file(GLOB made RELATIVE ${scratch} ${scratch}/*.replay)
if(NOT kept STREQUAL made)
  message(SEND_ERROR "recorded ${made}, but this folder holds ${kept}")
endif()
foreach(name ${kept})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${CMAKE_CURRENT_LIST_DIR}/${name}
    ${scratch}/${name} RESULT_VARIABLE differs)
  if(differs)
    message(SEND_ERROR "${name} records differently now: after an intended change of the rules, "
      "record them again (tests/replays/README.md)")
  endif()
endforeach()
