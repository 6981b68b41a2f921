# Native tree: the pure logic and its unit tests (sanitizers are set at the top level).

add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

enable_testing()
include(GoogleTest)
file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp ${CMAKE_SOURCE_DIR}/tests/common/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_link_libraries(unit_tests PRIVATE quilvo_app quilvo_views quilvo_commands quilvo_settings quilvo_core quilvo_base gtest gtest_main)
# The simulator's pure, header-only parts (query_counts.h) are tested here too.
target_include_directories(unit_tests PRIVATE ${QUILVO_ALL_HEADERS} ${CMAKE_SOURCE_DIR}/tests/unit ${CMAKE_SOURCE_DIR}/tests/common
                                              ${CMAKE_SOURCE_DIR}/tools/sessionsim)
target_compile_options(unit_tests PRIVATE ${QUILVO_WARNINGS})
# GoogleTest's header, compiled once instead of once per test file.
target_precompile_headers(unit_tests PRIVATE <gtest/gtest.h> <string> <vector> <functional>)
# Tests that read files shipped with the program (the policy templates) find them here.
target_compile_definitions(unit_tests PRIVATE QUILVO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
# One process for every case, its cases counted from the report it writes (scripts/test): a
# process per case spent 0.2 s of a core starting the sanitised program, 190 times over.
add_test(NAME unit_tests COMMAND unit_tests --gtest_color=no --gtest_output=xml:test-reports/unit_tests.xml
         WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
