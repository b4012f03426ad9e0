# Runs tolm twice on one work folder: a map entry file left by an earlier run is not printed as this
# run's (before Initialize the server writes none), and an overlay file that does not exist is reported.
file(REMOVE_RECURSE ${FOLDER})
set(ENV{TOLM_REGISTRY_FILE} ${FOLDER}/registry.txt)
execute_process(COMMAND ${TOLM} --size 32x24 --work ${FOLDER} --out ${FOLDER}/first.png
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "first run failed: ${out}${err}")
endif()
file(WRITE "${FOLDER}/Wendal32/Maps/!!TolmServer7.INF" "-1,1\r\n1,-1\r\nLEFTOVER\r\n")
execute_process(COMMAND ${TOLM} --before-initialize --size 32x24 --work ${FOLDER} --out ${FOLDER}/second.png
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0 OR NOT out MATCHES "map entry file: not written" OR out MATCHES "LEFTOVER")
  message(FATAL_ERROR "a stale map entry file was printed as new:\n${out}${err}")
endif()
execute_process(COMMAND ${TOLM} --size 32x24 --work ${FOLDER} --set strOvlFile=${FOLDER}/no-such.ovr --out ${FOLDER}/third.png
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT err MATCHES "overlay file [^\n]*no-such.ovr not found")
  message(FATAL_ERROR "a missing overlay file was not reported:\n${out}${err}")
endif()
