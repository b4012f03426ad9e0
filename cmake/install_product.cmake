# Install-time part of cmake/install.cmake: copies the default map product into the program folder,
# puts its search files beside the library, and writes the product's MAP.INI for where it now lies.
# On Linux it also gives a fresh installation a settings file whose PATHS name the installed
# product, so the server's first start needs no dialog; a settings file already there is the
# user's and stays as it is. (On Windows the installer writes it, for the folder the user chose.)
# file(INSTALL) puts DESTDIR in front of install_to itself; the other file commands are given it.
set(install_to "${CMAKE_INSTALL_PREFIX}/${TOLM_PROGRAM_FOLDER}")
cmake_path(NORMAL_PATH install_to)
string(REGEX REPLACE "/$" "" install_to "${install_to}")
set(destination "$ENV{DESTDIR}${install_to}")

if(NOT EXISTS "${TOLM_PRODUCT}/MAP.INI")
  message(WARNING "No default map product in ${TOLM_PRODUCT}: the installation has no map data. "
                  "Build it with scripts/build-default-data.sh, or set TOLM_DEFAULT_PRODUCT.")
  return()
endif()

set(product "${destination}/Kartovex")
foreach(folder States Data1 Data2 Data3)
  if(IS_DIRECTORY "${TOLM_PRODUCT}/${folder}")
    file(INSTALL "${TOLM_PRODUCT}/${folder}" DESTINATION "${install_to}/Kartovex")
  else()
    file(MAKE_DIRECTORY "${product}/${folder}")
  endif()
endforeach()
if(EXISTS "${TOLM_PRODUCT}/ATTRIBUTION")
  file(INSTALL "${TOLM_PRODUCT}/ATTRIBUTION" DESTINATION "${install_to}/Kartovex")
  file(INSTALL "${TOLM_PRODUCT}/ATTRIBUTION" DESTINATION "${install_to}")
endif()
foreach(search statell.dat countyll.dat milemark.dat)
  if(EXISTS "${TOLM_PRODUCT}/${search}")
    file(INSTALL "${TOLM_PRODUCT}/${search}" DESTINATION "${install_to}")
  endif()
endforeach()

# The product's folders as the server will see them.
if(TOLM_FOR_WINDOWS)
  if(TOLM_WINDOWS_FOLDER)
    set(root "${TOLM_WINDOWS_FOLDER}")
  elseif(TOLM_HOST_WINDOWS)
    set(root "${CMAKE_INSTALL_PREFIX}")
  else()
    set(root "Z:${CMAKE_INSTALL_PREFIX}")  # how Wine shows the Linux file system
  endif()
  string(REPLACE "/" "\\" root "${root}")
  string(REGEX REPLACE "\\\\$" "" root "${root}")
  set(separator "\\")
else()
  set(root "${CMAKE_INSTALL_PREFIX}/${TOLM_PROGRAM_FOLDER}")
  cmake_path(NORMAL_PATH root)
  string(REGEX REPLACE "/$" "" root "${root}")
  set(separator "/")
endif()
set(in_product "${root}${separator}Kartovex${separator}")

message(STATUS "Writing: ${product}/MAP.INI")
file(WRITE "${product}/MAP.INI"
  "[Application Interface]\r\n"
  "Data1Path=${in_product}Data1\r\n"
  "Data2Path=${in_product}Data2\r\n"
  "Data3Path=${in_product}Data3\r\n"
  "StatesPath=${in_product}States\r\n")

if(NOT TOLM_FOR_WINDOWS AND NOT EXISTS "${destination}/TolmServer7.INI")
  message(STATUS "Writing: ${destination}/TolmServer7.INI")
  file(WRITE "${destination}/TolmServer7.INI"
    "[PATHS]\r\n"
    "DATA1=${in_product}Data1\r\n"
    "DATA2=${in_product}Data2\r\n"
    "DATA3=${in_product}Data3\r\n"
    "STATES0=${in_product}States\r\n"
    "STATES1=${in_product}States\r\n")
endif()
