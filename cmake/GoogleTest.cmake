# GoogleTest from Debian's sources, built for the target being configured, and vlm_add_gtest:
# one test executable per folder of tests/, run by CTest (through the wine wrapper when the
# target is Windows) with its results written as XML for the summary line.

set(VLM_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
if(WIN32)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
endif()
add_subdirectory(${VLM_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

set(VLM_TEST_RESULTS ${CMAKE_BINARY_DIR}/test-results)
# Under wine an absolute Unix path must name its drive, or the program looks on the wrong one.
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set(VLM_TEST_RESULTS_FOR_TARGET Z:${VLM_TEST_RESULTS})
else()
  set(VLM_TEST_RESULTS_FOR_TARGET ${VLM_TEST_RESULTS})
endif()

# vlm_add_gtest(<target> SOURCES <files>... LINKS <libs>...)
function(vlm_add_gtest Target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_executable(${Target} ${ARG_SOURCES})
  target_link_libraries(${Target} PRIVATE ${ARG_LINKS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${Target}
           COMMAND ${Target} --gtest_output=xml:${VLM_TEST_RESULTS_FOR_TARGET}/${Target}.xml
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${Target} PROPERTIES TIMEOUT 600)
endfunction()
