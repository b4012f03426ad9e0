# Runs tolm on a fresh copy of the server with two products. The first run's --product answers the
# server's question and lands in its settings file; a later --product naming another product wins
# for its run and says so on standard error, and the settings file keeps the first; a product
# without MAP.INI is refused before the server starts.
#   cmake -DTOLM=... -DLIBRARY=... -DFOLDER=... -P product_choice.cmake
file(REMOVE_RECURSE "${FOLDER}")
file(MAKE_DIRECTORY "${FOLDER}/server" "${FOLDER}/empty")
file(COPY "${LIBRARY}" DESTINATION "${FOLDER}/server")
get_filename_component(library_folder "${LIBRARY}" DIRECTORY)
file(COPY "${library_folder}/libTolmProcess.so" DESTINATION "${FOLDER}/server")
foreach(product first second)
  file(MAKE_DIRECTORY "${FOLDER}/${product}/Data1" "${FOLDER}/${product}/Data2" "${FOLDER}/${product}/Data3" "${FOLDER}/${product}/States")
  set(root "${FOLDER}/${product}")
  file(WRITE "${root}/MAP.INI" "[Application Interface]\r\nData1Path=${root}/Data1\r\nData2Path=${root}/Data2\r\nData3Path=${root}/Data3\r\nStatesPath=${root}/States\r\n")
endforeach()
set(ENV{TOLM_REGISTRY_FILE} "${FOLDER}/registry.txt")
function(run_tolm product)
  execute_process(COMMAND ${TOLM} --library "${FOLDER}/server/libTolmServer7.so" --work "${FOLDER}/work" --size 32x24
                          --product "${FOLDER}/${product}" --out "${FOLDER}/${product}.png"
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(result "${result}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

run_tolm(first)
if(NOT result EQUAL 0 OR err MATCHES "names other data folders")
  message(FATAL_ERROR "the first run's product was not taken as the server's answer:\n${err}")
endif()
run_tolm(second)
if(NOT result EQUAL 0 OR NOT err MATCHES "names other data folders; this run draws from --product"
   OR NOT err MATCHES "Data1: [^\n]*/second/Data1 \\(settings file: [^\n]*/first/Data1\\)"
   OR NOT err MATCHES "States \\(Supplementary\\): [^\n]*/second/States")
  message(FATAL_ERROR "a later --product was not used, or not told:\n${err}")
endif()
file(READ "${FOLDER}/server/TolmServer7.INI" settings)
if(NOT settings MATCHES "DATA1=[^\r\n]*/first/Data1")
  message(FATAL_ERROR "the settings file was changed by a run's --product:\n${settings}")
endif()
run_tolm(first)
if(NOT result EQUAL 0 OR err MATCHES "names other data folders")
  message(FATAL_ERROR "the settings file's own product was reported as another:\n${err}")
endif()
run_tolm(empty)
if(NOT result EQUAL 2 OR NOT err MATCHES "--product [^\n]*/empty holds no MAP.INI")
  message(FATAL_ERROR "a product without MAP.INI was not refused (${result}):\n${err}")
endif()
