# Collects the .cpp files of the given layers under ROOT (one folder per layer).
function(svu_collect_sources out root)
    set(result "")
    foreach(layer IN LISTS ARGN)
        file(GLOB_RECURSE files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${root}/${layer}/*.cpp)
        list(APPEND result ${files})
    endforeach()
    set(${out} ${result} PARENT_SCOPE)
endfunction()

# The model layers must never include Qt: checked when configuring and again at every build.
function(svu_check_no_qt)
    set(dirs "")
    foreach(layer IN LISTS ARGN)
        list(APPEND dirs ${CMAKE_SOURCE_DIR}/src/${layer})
    endforeach()
    string(REPLACE ";" "|" dirlist "${dirs}")
    execute_process(COMMAND ${CMAKE_COMMAND} -DDIRS=${dirlist} -P ${CMAKE_SOURCE_DIR}/cmake/CheckNoQt.cmake
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "svu_core must not include Qt")
    endif()
    add_custom_target(svu_core_qt_check
        COMMAND ${CMAKE_COMMAND} "-DDIRS=${dirlist}" -P ${CMAKE_SOURCE_DIR}/cmake/CheckNoQt.cmake
        COMMENT "Checking that the model layers stay free of Qt" VERBATIM)
endfunction()

# Layers only look down: `target` fails to build, and configuring fails, while a source of src/`layer`
# includes anything from src/`forbidden`.
function(svu_check_no_include target layer forbidden)
    set(args -DDIR=${CMAKE_SOURCE_DIR}/src/${layer} -DFORBIDDEN=${forbidden}
             -P ${CMAKE_SOURCE_DIR}/cmake/CheckNoInclude.cmake)
    execute_process(COMMAND ${CMAKE_COMMAND} ${args} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "src/${layer} must not include src/${forbidden}")
    endif()
    add_custom_target(${target} COMMAND ${CMAKE_COMMAND} ${args}
        COMMENT "Checking that src/${layer} does not include src/${forbidden}" VERBATIM)
endfunction()

# One GoogleTest program per test folder. Its environment (TZ, and the offscreen platform for Qt tests)
# is set by a generated source before main runs, so the tests behave the same under ctest and when run
# by hand; a value already in the environment wins.
function(svu_add_test_program name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV" ${ARGN})
    set(setenv "")
    foreach(item IN ITEMS "TZ=Europe/London" ${T_ENV})
        string(REGEX MATCH "^[^=]+" key "${item}")
        string(REGEX REPLACE "^[^=]+=" "" value "${item}")
        string(APPEND setenv "    setenv(\"${key}\", \"${value}\", 0);\n")
    endforeach()
    set(envsource ${CMAKE_CURRENT_BINARY_DIR}/${name}_env.cpp)
    file(CONFIGURE OUTPUT ${envsource} CONTENT
"// Generated: the environment every test of ${name} runs in.
#include <cstdlib>
#include <ctime>
namespace {
const int kTestEnvironment = [] {
${setenv}    tzset();
    return 0;
}();
}  // namespace
")
    add_executable(${name} ${T_SOURCES} ${envsource})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE SVU_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
                                                SVU_BINARY_DIR="${CMAKE_BINARY_DIR}")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
