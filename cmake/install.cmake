# The installed layout. The server finds its settings, favourites, search files and layer folders
# beside the library, so everything goes into one program folder:
#
#   <program folder>/TolmServer7.dll (libTolmServer7.so), InitTolmServer7(.exe), !!TolmServer7.INF,
#                    statell.dat, countyll.dat, milemark.dat (when the product has one), ATTRIBUTION,
#                    Kartovex/ (the default map product: MAP.INI, States, Data1, Data2, Data3, ATTRIBUTION)
#   <documents>/     the user's documents and the data's licences
#
# Windows: the program folder is the prefix itself (the installer's "C:\Program Files\TolmServer7"),
# documents in its "docs" folder. Linux: <prefix>/lib/TolmServer7 and <prefix>/share/doc/TolmServer7.
# MAP.INI is written at install time with the paths of the installed product; on Windows they are
# the paths Windows sees (TOLM_WINDOWS_FOLDER, or under Wine the prefix on drive Z:).
include(GNUInstallDirs)

set(TOLM_DEFAULT_PRODUCT ${CMAKE_SOURCE_DIR}/build/default-data/Kartovex CACHE PATH
    "the default map product to install (scripts/build-default-data.sh builds it)")
if(WIN32)
  set(tolm_program_folder .)
  set(tolm_docs_folder docs)
  set(TOLM_WINDOWS_FOLDER "" CACHE STRING
      "the program folder as Windows will see it, for MAP.INI (default: the prefix, on drive Z: when cross-built)")
else()
  set(tolm_program_folder ${CMAKE_INSTALL_LIBDIR}/TolmServer7)
  set(tolm_docs_folder ${CMAKE_INSTALL_DOCDIR})
endif()

install(TARGETS TolmServer7 InitTolmServer7
        RUNTIME DESTINATION ${tolm_program_folder}
        LIBRARY DESTINATION ${tolm_program_folder})
if(TARGET tolm_process)
  # The Linux library finds the process's shared objects beside itself.
  install(TARGETS tolm_process LIBRARY DESTINATION ${tolm_program_folder})
endif()
install(FILES "${CMAKE_SOURCE_DIR}/data/!!TolmServer7.INF" DESTINATION ${tolm_program_folder})
# The help: the user guide rendered as HTML (docs/), which the server opens at the topic's section.
install(FILES ${CMAKE_BINARY_DIR}/bin/TolmServer6.html DESTINATION ${tolm_program_folder} OPTIONAL)

# Whatever documents exist when the install runs.
set(tolm_docs)
foreach(doc user-guide.md windows.md data-sources.md)
  if(EXISTS ${CMAKE_SOURCE_DIR}/docs/${doc})
    list(APPEND tolm_docs ${CMAKE_SOURCE_DIR}/docs/${doc})
  endif()
endforeach()
install(FILES ${tolm_docs} DESTINATION ${tolm_docs_folder})

# The product, its search files and MAP.INI: at install time, because the product is built after
# configuration (and maybe after the build).
install(CODE "
  set(TOLM_PRODUCT \"${TOLM_DEFAULT_PRODUCT}\")
  set(TOLM_PROGRAM_FOLDER \"${tolm_program_folder}\")
  set(TOLM_FOR_WINDOWS ${WIN32})
  set(TOLM_WINDOWS_FOLDER \"${TOLM_WINDOWS_FOLDER}\")
  set(TOLM_HOST_WINDOWS ${CMAKE_HOST_WIN32})
")
install(SCRIPT ${CMAKE_SOURCE_DIR}/cmake/install_product.cmake)
