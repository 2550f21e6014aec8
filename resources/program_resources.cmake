# vesk_program_resources(TARGET DESCRIPTION text): gives one of the program's
# executables its manifest (administrator rights, dpi awareness, themed
# common controls, supported Windows versions) and its version resource,
# both from project(VERSION ...), and the event log's message table. Test
# programs do not get them.
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
  vesk_event_messages(${target})
endfunction()

# vesk_event_messages(TARGET): gives an executable the message table of the
# program's Application-log events (resources/event_messages.mc, compiled by
# windmc when the build is configured), so that the event source "VESK" can
# name it as its message file.
function(vesk_event_messages target)
  if(NOT VESK_WINDOWS)
    return()
  endif()
  set(source ${PROJECT_SOURCE_DIR}/resources/event_messages.mc)
  set(dir ${CMAKE_BINARY_DIR}/resources/event_messages)
  set(table ${dir}/event_messages_table.rc)
  get_property(made GLOBAL PROPERTY VESK_EVENT_MESSAGES_MADE)
  if(NOT made)
    find_program(VESK_WINDMC NAMES x86_64-w64-mingw32-windmc windmc REQUIRED)
    file(MAKE_DIRECTORY ${dir})
    execute_process(COMMAND ${VESK_WINDMC} -h ${dir} -r ${dir} ${source}
                    RESULT_VARIABLE failed ERROR_VARIABLE reason)
    if(failed)
      message(FATAL_ERROR "windmc could not compile ${source}: ${reason}")
    endif()
    # windmc's own .rc names the table relative to itself; this one holds
    # its full path, which windres finds from any folder.
    file(WRITE ${table} "LANGUAGE 0x9, 0x1\n1 MESSAGETABLE \"${dir}/MSG00409.bin\"\n")
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    set_property(GLOBAL PROPERTY VESK_EVENT_MESSAGES_MADE ON)
  endif()
  set_source_files_properties(${table} PROPERTIES OBJECT_DEPENDS ${dir}/MSG00409.bin)
  target_sources(${target} PRIVATE ${table})
endfunction()
