# Every Windows program of the release carries the application manifest.
function(kaveto_manifest target)
  set(KAVETO_MANIFEST_NAME "${target}")
  set(KAVETO_MANIFEST_FILE "${CMAKE_BINARY_DIR}/${target}.manifest")
  configure_file(${CMAKE_SOURCE_DIR}/cmake/program.manifest.in ${KAVETO_MANIFEST_FILE} @ONLY)
  set(rc ${CMAKE_BINARY_DIR}/${target}_manifest.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/manifest.rc.in ${rc} @ONLY)
  set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS ${KAVETO_MANIFEST_FILE})
  target_sources(${target} PRIVATE ${rc})
endfunction()

kaveto_manifest(kaveto)
kaveto_manifest(kavetoctl)
