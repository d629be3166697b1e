find_package(GTest REQUIRED)
include(GoogleTest)

# tessaline_add_test(NAME SOURCES... LIBS lib...): one GoogleTest executable,
# registered with ctest test by test, linked only with the libraries it tests.
function(tessaline_add_test name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} tessaline_testsupport GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${name}
        PROPERTIES ENVIRONMENT "TESSALINE_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data"
        DISCOVERY_TIMEOUT 60)
endfunction()
