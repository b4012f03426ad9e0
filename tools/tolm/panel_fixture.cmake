# Makes the folders the control panel tests run in: for each test a fresh copy of the server library,
# so that the settings file beside it (which the panel writes) starts missing every time.
#   cmake -DLIBRARY=... -DFOLDER=... -DCASES="a;b" -P panel_fixture.cmake
foreach(required LIBRARY FOLDER CASES)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "panel_fixture.cmake needs -D${required}=...")
  endif()
endforeach()
file(REMOVE_RECURSE "${FOLDER}")
foreach(case ${CASES})
  file(MAKE_DIRECTORY "${FOLDER}/${case}/server" "${FOLDER}/${case}/chosen")
  file(COPY "${LIBRARY}" DESTINATION "${FOLDER}/${case}/server")
endforeach()
