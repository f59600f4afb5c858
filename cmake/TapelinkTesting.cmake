# tapelink_add_test(NAME <name> SOURCES <files...> LIBS <targets...> LABEL unit|gui|cli)
# Builds one test executable and registers every test in it with ctest under the label.
function(tapelink_add_test)
    cmake_parse_arguments(ARG "" "NAME;LABEL" "SOURCES;LIBS" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS})
    tapelink_set_warnings(${ARG_NAME})
    if(ARG_LABEL STREQUAL "gui")
        # Qt Test executables are one ctest test each.
        add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
        set_tests_properties(${ARG_NAME} PROPERTIES LABELS gui
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    else()
        include(GoogleTest)
        gtest_discover_tests(${ARG_NAME} PROPERTIES LABELS ${ARG_LABEL}
            DISCOVERY_TIMEOUT 60)
    endif()
endfunction()
