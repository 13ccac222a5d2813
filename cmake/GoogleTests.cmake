# How every GoogleTest program becomes CTest tests: discovered when CTest runs (the programs
# need not exist at configure time), named "Suite.Test" and, for a parameterised test,
# "Instance/Suite.Test/CaseName" without the printed parameter, whose bytes (pointers
# among them) would differ from build to build and could not be selected with -R.
include(GoogleTest)

# korvane_discover_tests(<target> [gtest_discover_tests options...])
function(korvane_discover_tests target)
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES ${ARGN})
    set_property(GLOBAL APPEND PROPERTY KORVANE_GTEST_PROGRAMS ${target})
endfunction()

# A test that fails when a parameterised test of any program above names its cases by index
# only (an INSTANTIATE_TEST_SUITE_P without a name generator). Call once, after every program.
function(korvane_add_test_name_check)
    get_property(programs GLOBAL PROPERTY KORVANE_GTEST_PROGRAMS)
    set(files)
    foreach(program IN LISTS programs)
        list(APPEND files $<TARGET_FILE:${program}>)
    endforeach()
    add_test(NAME test_names_are_stable
        COMMAND ${PROJECT_SOURCE_DIR}/tools/check-test-names.sh ${files})
endfunction()
