# GoogleTest for both builds: Debian's prebuilt library natively, the sources
# in /usr/src/googletest for the cross build.
if(VESK_WINDOWS)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  set(VESK_GTEST_LIBS gmock gtest)
  set(VESK_GTEST_MAIN gtest_main)
else()
  find_package(GTest REQUIRED)
  set(VESK_GTEST_LIBS GTest::gmock GTest::gtest)
  set(VESK_GTEST_MAIN GTest::gtest_main)
endif()

set(VESK_TEST_RESULTS ${CMAKE_BINARY_DIR}/test-results)
set(VESK_WINE_RUNNER ${PROJECT_SOURCE_DIR}/cmake/wine-test.sh)

# vesk_add_test(NAME SOURCES... LIBS... [NATIVE_ONLY] [WINDOWS_ONLY] [GUI] [OWN_MAIN])
# One GoogleTest program, run as one CTest test. Under the cross build it runs
# through Wine (and Xvfb when GUI is given). Every run writes a JUnit-style XML
# report that the test script adds up.
function(vesk_add_test name)
  cmake_parse_arguments(ARG "NATIVE_ONLY;WINDOWS_ONLY;GUI;OWN_MAIN" "" "SOURCES;LIBS" ${ARGN})
  if(ARG_NATIVE_ONLY AND VESK_WINDOWS)
    return()
  endif()
  if(ARG_WINDOWS_ONLY AND NOT VESK_WINDOWS)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${VESK_GTEST_LIBS} vesk_warnings)
  if(NOT ARG_OWN_MAIN)
    target_link_libraries(${name} PRIVATE ${VESK_GTEST_MAIN})
  endif()
  set(report --gtest_output=xml:${VESK_TEST_RESULTS}/${name}.xml)
  if(VESK_WINDOWS)
    set(gui "")
    if(ARG_GUI)
      set(gui --gui)
    endif()
    add_test(NAME ${name}
             COMMAND ${VESK_WINE_RUNNER} ${gui} --prefix ${CMAKE_BINARY_DIR}/wineprefix
                     $<TARGET_FILE:${name}> ${report}
             WORKING_DIRECTORY $<TARGET_FILE_DIR:${name}>)
    if(ARG_GUI)
      # Windows of parallel Wine programs disturb each other (focus, message
      # boxes failing at once): windowed tests run alone.
      set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
    endif()
  else()
    add_test(NAME ${name} COMMAND ${name} ${report}
             WORKING_DIRECTORY $<TARGET_FILE_DIR:${name}>)
  endif()
endfunction()
