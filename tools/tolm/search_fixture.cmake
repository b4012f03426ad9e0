# Makes the folder the search tests run in: a copy of the server library with small state, county
# and mile-marker files beside it (the server reads them from its own folder), and a product folder
# whose milemark.dat is written by tolm-import from a CSV, as a user would make it.
#   cmake -DLIBRARY=... -DIMPORTER=... -DFOLDER=... -P search_fixture.cmake
foreach(required LIBRARY IMPORTER FOLDER)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "search_fixture.cmake needs -D${required}=...")
  endif()
endforeach()

file(REMOVE_RECURSE "${FOLDER}")
file(MAKE_DIRECTORY "${FOLDER}/server" "${FOLDER}/product")
file(COPY "${LIBRARY}" DESTINATION "${FOLDER}/server")
# The process's shared objects live beside the server library (platform/process_services.h).
get_filename_component(library_folder "${LIBRARY}" DIRECTORY)
file(COPY "${library_folder}/libTolmProcess.so" DESTINATION "${FOLDER}/server")

# Tab-separated, CR LF, sorted by the first character and then the whole line, as the importer writes them.
string(ASCII 9 tab)
string(ASCII 13 cr)
set(states
  "TN${tab}Tennessee${tab}-90.308724${tab}-81.647758${tab}34.983410${tab}36.678335"
  "TX${tab}Texas${tab}-106.647191${tab}-93.517553${tab}25.840438${tab}36.500509"
  "UT${tab}Utah${tab}-114.052998${tab}-109.041058${tab}36.997968${tab}42.001567")
set(counties
  "Traverse${tab}MN${tab}-96.859186${tab}-96.252595${tab}45.585925${tab}46.021468"
  "Travis${tab}TX${tab}-98.172868${tab}-97.368866${tab}30.024917${tab}30.627977"
  "Williamson${tab}TX${tab}-98.049886${tab}-97.281592${tab}30.481747${tab}30.906016")
foreach(kind states counties)
  set(text "")
  foreach(line ${${kind}})
    string(APPEND text "${line}${cr}\n")
  endforeach()
  set(${kind}_text "${text}")
endforeach()
file(WRITE "${FOLDER}/server/statell.dat" "${states_text}")
file(WRITE "${FOLDER}/server/countyll.dat" "${counties_text}")

file(WRITE "${FOLDER}/markers.csv"
  "state,road,direction,mile1,coord1,mile2,coord2\n"
  "TX,20,EW,0,-106.6,100,-104.0\n"
  "TX,35,NS,50,31.0,150,33.0\n")
execute_process(COMMAND "${IMPORTER}" --out "${FOLDER}/product" --mile-markers "${FOLDER}/markers.csv" --quiet
                RESULT_VARIABLE imported)
if(NOT imported EQUAL 0 OR NOT EXISTS "${FOLDER}/product/milemark.dat")
  message(FATAL_ERROR "tolm-import did not write ${FOLDER}/product/milemark.dat")
endif()
file(COPY "${FOLDER}/product/milemark.dat" DESTINATION "${FOLDER}/server")
