# vesk_program_resources(TARGET DESCRIPTION text): gives one of the program's
# executables its manifest (administrator rights, dpi awareness, themed
# common controls, supported Windows versions) and its version resource,
# both from project(VERSION ...). Test programs do not get them.
function(vesk_program_resources target)
  cmake_parse_arguments(ARG "" "DESCRIPTION" "" ${ARGN})
  if(NOT VESK_WINDOWS)
    return()
  endif()
  set(VESK_PROGRAM_NAME ${target})
  set(VESK_PROGRAM_DESCRIPTION "${ARG_DESCRIPTION}")
  set(dir ${CMAKE_BINARY_DIR}/resources/${target})
  set(VESK_MANIFEST_FILE ${dir}/${target}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/resources/program.manifest.in ${VESK_MANIFEST_FILE} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/resources/program.rc.in ${dir}/${target}.rc @ONLY)
  set_source_files_properties(${dir}/${target}.rc PROPERTIES OBJECT_DEPENDS ${VESK_MANIFEST_FILE})
  target_sources(${target} PRIVATE ${dir}/${target}.rc)
endfunction()
