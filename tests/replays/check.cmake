# Checks every recorded game here with `dropple --check`: the digit that starts a file's name is
# the status it must end with (0 the recorded end, 1 another end, 2 no playable replay), and a
# file larger than any game is refused. A bare name is the file in the working directory, even
# one named as the game's own files are. Run as: cmake -Drun=EMULATOR|PROGRAM -Dscratch=DIR -P
string(REPLACE "|" ";" run "${run}")
string(REPEAT "x" 2000000 big)
file(WRITE ${scratch}/2-oversized.replay "${big}")
file(GLOB files ${CMAKE_CURRENT_LIST_DIR}/*.replay ${scratch}/2-oversized.replay)
foreach(f ${files})
  get_filename_component(name ${f} NAME)
  string(SUBSTRING ${name} 0 1 want)
  execute_process(COMMAND ${run} --check ${f} RESULT_VARIABLE got OUTPUT_VARIABLE out
    ERROR_VARIABLE out)
  message("${name}: ${got}\n${out}")
  if(NOT got STREQUAL want)
    message(SEND_ERROR "${name} ended with status ${got}, not ${want}")
  endif()
  # Another end is told by the first field that differs, with both values.
  if(want STREQUAL "1" AND NOT out MATCHES
      "first in (score|lines|level|frames|pieces|ending|board): recorded [^,]+, replayed ")
    message(SEND_ERROR "${name} does not say which field differs")
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/0-dropple3-won.replay ${scratch}/records COPYONLY)
execute_process(COMMAND ${run} --check records WORKING_DIRECTORY ${scratch} RESULT_VARIABLE got
  OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT got STREQUAL 0)
  message(SEND_ERROR "--check records in the working directory ended with ${got}: ${out}")
endif()
