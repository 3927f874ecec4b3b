# The Windows release: one zip holding one folder with the two programs, the
# default program folder, the user guide and the licence.
function(kaveto_version_resource target description)
  set(KAVETO_FILE_DESCRIPTION "${description}")
  set(KAVETO_INTERNAL_NAME "${target}")
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${CMAKE_BINARY_DIR}/${target}_version.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/${target}_version.rc)
endfunction()

kaveto_version_resource(kaveto "Kaveto - quotes web pages")
kaveto_version_resource(kavetoctl "Kaveto console companion")

# The guides as text that Notepad opens: UTF-8 with a byte-order mark, CR LF.
set(guide_outputs)
foreach(lang en ja)
  set(out ${CMAKE_BINARY_DIR}/package/guide-${lang}.txt)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_SOURCE_DIR}/tools/package/notepad-text.sh --bom ${CMAKE_SOURCE_DIR}/docs/guide.${lang}.md ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/guide.${lang}.md)
  list(APPEND guide_outputs ${out})
endforeach()
set(licence ${CMAKE_BINARY_DIR}/package/LICENSE.txt)
add_custom_command(OUTPUT ${licence}
  COMMAND ${CMAKE_SOURCE_DIR}/tools/package/notepad-text.sh ${CMAKE_SOURCE_DIR}/LICENSE ${licence}
  DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)
add_custom_target(package_docs ALL DEPENDS ${guide_outputs} ${licence})

install(TARGETS kaveto kavetoctl RUNTIME DESTINATION .)
install(FILES ${guide_outputs} ${licence} DESTINATION .)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/program/ DESTINATION . PATTERN ".keep" EXCLUDE)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME kaveto)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "kaveto-${PROJECT_VERSION}-win64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/dist)
include(CPack)
