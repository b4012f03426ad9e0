# `cmake --install` of the Linux build into a scratch prefix, then used as a user would: the
# initialiser puts the map entry file into the client's Maps folder, and the installed server draws
# the default map without a message or dialog. A second install keeps the user's settings file.
#   cmake -DBUILD=... -DTOLM=... -DFOLDER=... -P linux_install.cmake
file(REMOVE_RECURSE ${FOLDER})
set(prefix ${FOLDER}/prefix)
set(program ${prefix}/lib/TolmServer7)

function(install_into)
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix} OUTPUT_QUIET RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${rc})")
  endif()
endfunction()
install_into()

foreach(f libTolmServer7.so InitTolmServer7 "!!TolmServer7.INF" statell.dat countyll.dat ATTRIBUTION
          Kartovex/MAP.INI Kartovex/ATTRIBUTION Kartovex/States/boundaries.pack TolmServer7.INI)
  if(NOT EXISTS "${program}/${f}")
    message(FATAL_ERROR "${f} was not installed")
  endif()
endforeach()
file(READ ${program}/Kartovex/MAP.INI map_ini)
string(FIND "${map_ini}" "Data1Path=${program}/Kartovex/Data1" at)
file(READ ${program}/Kartovex/MAP.INI map_ini_hex HEX)
if(at EQUAL -1 OR NOT map_ini_hex MATCHES "0d0a")
  message(FATAL_ERROR "MAP.INI does not name the installed product:\n${map_ini}")
endif()

# The initialiser, for a client that has run.
set(ENV{TOLM_REGISTRY_FILE} ${FOLDER}/registry.txt)
file(MAKE_DIRECTORY ${FOLDER}/client/Maps)
file(WRITE ${FOLDER}/registry.txt
  "TOLM-REGISTRY 1\n"
  "key \"HKEY_CURRENT_USER\\\\Software\\\\VB and VBA Program Settings\\\\Orvensa\\\\Wendal32\"\n"
  "value \"Program Folder\" 1 \"${FOLDER}/client/\\x00\"\n"
  "end\n")
execute_process(COMMAND ${program}/InitTolmServer7 OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT EXISTS "${FOLDER}/client/Maps/!!TolmServer7.INF" OR NOT out MATCHES "select 'Kartovex V7 Server'")
  message(FATAL_ERROR "the installed initialiser did not place the map entry file (${rc}):\n${out}")
endif()

# The installed server draws the default map and asks nothing.
execute_process(COMMAND ${TOLM} --library ${program}/libTolmServer7.so --work ${FOLDER}/work --size 200x150
                        --corners -125,49.5,-66.5,24.5 --out ${FOLDER}/us.png
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR err MATCHES "message:" OR NOT EXISTS ${FOLDER}/us.png)
  message(FATAL_ERROR "the installed server did not draw quietly (${rc}):\n${out}\n${err}")
endif()
file(SIZE ${FOLDER}/us.png png_size)
if(png_size LESS 5000)
  message(FATAL_ERROR "the map is nearly empty (${png_size} bytes of PNG)")
endif()

# An update over the installation: the user's settings stay as they are.
file(WRITE ${program}/TolmServer7.INI "[SETUP]\r\nMONOCHROME=True\r\n")
install_into()
file(READ ${program}/TolmServer7.INI settings HEX)
if(NOT settings STREQUAL "5b53455455505d0d0a4d4f4e4f4348524f4d453d547275650d0a")
  message(FATAL_ERROR "the second install replaced the user's settings file:\n${settings}")
endif()
