# Windows tree: Quilvo.exe, the session simulator, the Windows-side tests and benchmarks.
# Everything is linked statically against the C++ runtime so that only system DLLs remain.
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

# Outputs land at fixed paths (build/windows/Quilvo.exe, build/windows/sessionsim.exe).
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

enable_language(RC)

add_executable(Quilvo WIN32
    src/resources/Quilvo.rc
    src/app/main.cpp
)
target_link_libraries(Quilvo PRIVATE quilvo_app)
target_include_directories(Quilvo PRIVATE ${QUILVO_ALL_HEADERS})
target_compile_options(Quilvo PRIVATE ${QUILVO_WARNINGS})
target_include_directories(Quilvo PRIVATE $<$<COMPILE_LANGUAGE:RC>:${CMAKE_SOURCE_DIR}/src/resources>
                           $<$<COMPILE_LANGUAGE:RC>:${CMAKE_BINARY_DIR}/generated>)
# The resources name the generated manifest and version header.
set_source_files_properties(src/resources/Quilvo.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_BINARY_DIR}/generated/Quilvo.manifest;${CMAKE_BINARY_DIR}/generated/quilvo_version.h")

add_subdirectory(tools/sessionsim)

# The release: build/Quilvo-<version>-win64.zip with the stripped program, the two texts of
# dist/, their version filled in and with Windows line ends, and the policy templates in
# policies\ (`cpack` in this tree, which scripts/package runs; it then builds the MSI from the
# zip's files with wixl).
set(VERSION ${PROJECT_VERSION})
foreach(text README.txt Quilvo.ini.sample)
    configure_file(dist/${text} ${CMAKE_BINARY_DIR}/dist/${text} @ONLY NEWLINE_STYLE WIN32)
    install(FILES ${CMAKE_BINARY_DIR}/dist/${text} DESTINATION .)
endforeach()
install(TARGETS Quilvo RUNTIME DESTINATION .)
# The Group Policy templates, for administrators (the MSI, for one user, leaves them out).
install(FILES dist/policies/Quilvo.admx DESTINATION policies)
install(FILES dist/policies/en-US/Quilvo.adml DESTINATION policies/en-US)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME Quilvo-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_SOURCE_DIR}/build)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)

enable_testing()
# The release zip and MSI as a user receives them; the check makes them first. It installs
# the MSI under Wine, so it may first wait for the test bed's lock while another bed runs.
add_test(NAME package COMMAND ${CMAKE_SOURCE_DIR}/tests/package/check)
set_tests_properties(package PROPERTIES TIMEOUT 3600)

# The tests and benchmarks need googletest's sources; without them only the programs build.
if(NOT EXISTS "${GOOGLETEST_SOURCE_DIR}/CMakeLists.txt")
    message(STATUS "googletest sources not found in ${GOOGLETEST_SOURCE_DIR}: building the programs only")
    return()
endif()
add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Test code, googletest's too, is compiled without optimisation or debug information (the
# program's code that a test links keeps both): otherwise it is half the tree's compile time, and
# a test waits on windows, not on its own code.
set(QUILVO_TEST_CODE_FLAGS -O0 -g0)
foreach(library gtest gtest_main)
    target_compile_options(${library} PRIVATE ${QUILVO_TEST_CODE_FLAGS})
endforeach()

# Helpers and fakes shared with the native tests.
set(COMMON_TEST_SOURCES ${CMAKE_SOURCE_DIR}/tests/common/allocation_hook.cpp
    ${CMAKE_SOURCE_DIR}/tests/common/refresh_fakes.cpp)

# A Windows-side suite runs as one CTest test under the emulator (scripts/wine-run), since
# every process start costs about a second under Wine; its cases are counted from the
# GoogleTest report it writes to test-reports/ (a relative path: under Wine a Linux path
# would name a place on drive C).
function(quilvo_wine_suite name)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no --gtest_output=xml:test-reports/${name}.xml
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES TIMEOUT 900 LABELS wine)
endfunction()

# How a test program is compiled: with the flags of test code above, and the headers every test
# file includes compiled once per program instead of once per file (they are most of what a test
# file costs to compile).
function(quilvo_test_program target)
    target_precompile_headers(${target} PRIVATE <windows.h> <gtest/gtest.h> <string> <vector> <functional>)
    target_compile_options(${target} PRIVATE ${QUILVO_TEST_CODE_FLAGS})
endfunction()

file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
if(WIN_TEST_SOURCES)
    add_executable(win_tests ${WIN_TEST_SOURCES} ${COMMON_TEST_SOURCES})
    target_link_libraries(win_tests PRIVATE quilvo_app gtest gtest_main)
    target_include_directories(win_tests PRIVATE ${QUILVO_ALL_HEADERS} ${CMAKE_SOURCE_DIR}/tests/win ${CMAKE_SOURCE_DIR}/tests/common ${CMAKE_SOURCE_DIR}/tools/sessionsim)
    target_compile_options(win_tests PRIVATE ${QUILVO_WARNINGS})
    # The program's resources (menus, mini window pictures), so window tests draw what Quilvo draws.
    target_sources(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/src/resources/Quilvo.rc)
    target_include_directories(win_tests PRIVATE $<$<COMPILE_LANGUAGE:RC>:${CMAKE_SOURCE_DIR}/src/resources>
                               $<$<COMPILE_LANGUAGE:RC>:${CMAKE_BINARY_DIR}/generated>)
    add_dependencies(win_tests sessionsim)
    quilvo_test_program(win_tests)
    quilvo_wine_suite(win_tests)
endif()

# Benchmarks: in-process ones link the program's code; bench_churn runs Quilvo.exe from outside
# as the end-to-end scenarios do (tests/e2e's QuilvoProcess, psapi for the working set). Built
# only when asked for (the target "benches", scripts/bench): the tests do not run them.
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
add_custom_target(benches)
foreach(src ${BENCH_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} EXCLUDE_FROM_ALL ${src} ${COMMON_TEST_SOURCES})
    add_dependencies(benches ${name})
    target_link_libraries(${name} PRIVATE quilvo_app psapi)
    target_include_directories(${name} PRIVATE ${QUILVO_ALL_HEADERS} ${CMAKE_SOURCE_DIR}/tests/common
                               ${CMAKE_SOURCE_DIR}/tools/sessionsim ${CMAKE_SOURCE_DIR}/tests/e2e)
    add_dependencies(${name} sessionsim)
endforeach()
if(TARGET bench_churn)
    add_dependencies(bench_churn Quilvo)
endif()

# The program as the tests need it beside the real one: the same sources with hooks that only
# tests use (a crash on demand). Never packaged.
add_executable(QuilvoTestHooks WIN32 src/resources/Quilvo.rc src/app/main.cpp)
target_compile_definitions(QuilvoTestHooks PRIVATE QUILVO_TEST_HOOKS)
target_link_libraries(QuilvoTestHooks PRIVATE quilvo_app)
target_include_directories(QuilvoTestHooks PRIVATE ${QUILVO_ALL_HEADERS})
target_include_directories(QuilvoTestHooks PRIVATE $<$<COMPILE_LANGUAGE:RC>:${CMAKE_SOURCE_DIR}/src/resources>
                           $<$<COMPILE_LANGUAGE:RC>:${CMAKE_BINARY_DIR}/generated>)

# An executable of end-to-end scenarios: it drives Quilvo.exe and the simulator from outside.
function(quilvo_e2e_executable name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE gtest gtest_main user32 gdi32 kernel32 psapi shell32 version)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/e2e ${CMAKE_SOURCE_DIR}/tests/common
                               ${CMAKE_SOURCE_DIR}/tools/sessionsim ${QUILVO_ALL_HEADERS})
    target_compile_options(${name} PRIVATE ${QUILVO_WARNINGS})
    add_dependencies(${name} Quilvo sessionsim)
    quilvo_test_program(${name})
endfunction()

# End-to-end scenarios: Quilvo.exe and the simulator under Wine, observed from outside.
file(GLOB E2E_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
if(E2E_TEST_SOURCES)
    quilvo_e2e_executable(e2e_tests ${E2E_TEST_SOURCES})
    add_dependencies(e2e_tests QuilvoTestHooks)
    quilvo_wine_suite(e2e_tests)
endif()

# The same on the two-monitor bed (scripts/two-monitors starts it, runs the suite, ends it):
# one CTest test per layout of the second monitor, each taking the bed lock.
file(GLOB E2E_MONITORS_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/two_monitors/*.cpp)
if(E2E_MONITORS_SOURCES)
    quilvo_e2e_executable(e2e_monitors ${E2E_MONITORS_SOURCES})
    foreach(layout right left above)
        add_test(NAME e2e_monitors_${layout}
                 COMMAND ${CMAKE_SOURCE_DIR}/scripts/two-monitors ${layout} $<TARGET_FILE:e2e_monitors>
                         --gtest_color=no --gtest_output=xml:test-reports/e2e_monitors_${layout}.xml
                 WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
        set_tests_properties(e2e_monitors_${layout} PROPERTIES TIMEOUT 300 LABELS "wine;monitors")
    endforeach()
endif()
