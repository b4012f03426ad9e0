# InitTolmServer7 as the installation starts it: a copy of the program beside a map entry file, a
# client whose saved setting names its folder, the registry store of its own. Checks what the
# program prints and that the entry file landed in the client's Maps folder.
#   cmake -DPROGRAM=... -DENTRY_FILE=data/!!TolmServer7.INF -DFOLDER=... -P program_run.cmake
file(REMOVE_RECURSE ${FOLDER})
file(MAKE_DIRECTORY ${FOLDER}/server ${FOLDER}/client/Maps)
file(COPY ${PROGRAM} DESTINATION ${FOLDER}/server)
get_filename_component(name ${PROGRAM} NAME)
file(COPY "${ENTRY_FILE}" DESTINATION ${FOLDER}/server)
set(ENV{TOLM_REGISTRY_FILE} ${FOLDER}/registry.txt)

# Never run: only the first message, nothing copied.
execute_process(COMMAND ${FOLDER}/server/${name} WORKING_DIRECTORY / OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^Initialise TolmServer7\nYou appear to be installing TolmServer7 on a PC on which Wendal32 has never been run")
  message(FATAL_ERROR "first run: exit ${rc}, printed:\n${out}")
endif()
if(EXISTS "${FOLDER}/client/Maps/!!TolmServer7.INF")
  message(FATAL_ERROR "the entry file was copied although the client never ran")
endif()

# The client has run: the entry file lands in its Maps folder.
file(WRITE ${FOLDER}/registry.txt
  "TOLM-REGISTRY 1\n"
  "key \"HKEY_CURRENT_USER\\\\Software\\\\VB and VBA Program Settings\\\\Orvensa\\\\Wendal32\"\n"
  "value \"Program Folder\" 1 \"${FOLDER}/client/\\x00\"\n"
  "end\n")
execute_process(COMMAND ${FOLDER}/server/${name} WORKING_DIRECTORY / OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "Initialise TolmServer7\nTo use TolmServer7, select 'Kartovex V7 Server' in the Wendal32 'Load A Map' list.\n")
  message(FATAL_ERROR "second run: exit ${rc}, printed:\n${out}")
endif()
file(READ "${FOLDER}/server/!!TolmServer7.INF" shipped HEX)
file(READ "${FOLDER}/client/Maps/!!TolmServer7.INF" copied HEX)
if(NOT shipped STREQUAL copied)
  message(FATAL_ERROR "the entry file in the client's Maps folder differs from the shipped one")
endif()
