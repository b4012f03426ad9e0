# A copy of the server with an overlay beside it, and a client map (INF and picture) to make an
# underlay from. Arguments: LIBRARY (the server library), PICTURE (Town.png), FOLDER (made afresh).
file(REMOVE_RECURSE ${FOLDER})
file(MAKE_DIRECTORY ${FOLDER}/server "${FOLDER}/server/Tolm Overlays" ${FOLDER}/work/Wendal32/Maps)
file(COPY ${LIBRARY} DESTINATION ${FOLDER}/server)
file(WRITE "${FOLDER}/server/Tolm Overlays/Demo.OVR"
  "{\"type\":\"Feature\",\"properties\":{\"title\":\"Big Ben\"},\"geometry\":{\"type\":\"Point\",\"coordinates\":[-0.1246,51.5007]}}")
file(WRITE ${FOLDER}/work/Wendal32/Maps/Town.INF ";London\r\n51.30.5N, 0.10W\r\n51.15N, 0.15E\r\n")
# The client's picture: a small gradient, our own test file.
file(COPY ${PICTURE} DESTINATION ${FOLDER}/work/Wendal32/Maps)
