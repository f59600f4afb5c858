# tapelink_add_test(NAME <name> SOURCES <files...> LIBS <targets...> LABEL unit|gui|cli [RESOURCE_LOCK <name>])
# Builds one test executable and registers every test in it with ctest under the label. Tests sharing a
# RESOURCE_LOCK (e.g. the private sound server) never run at the same time under ctest -j.
# Qt's headers are most of a window test's compile time: the first window test precompiles them and the
# others over the same libraries' flags reuse its result.
function(tapelink_share_gui_test_headers name)
    get_property(owner GLOBAL PROPERTY TAPELINK_GUI_TEST_PCH)
    if(owner)
        target_precompile_headers(${name} REUSE_FROM ${owner})
    else()
        target_precompile_headers(${name} PRIVATE <QtTest> <QSignalSpy> <QApplication> <QDialog> <QLabel>
            <QPushButton> <QTableView> <QHeaderView> <QLineEdit> <QCheckBox> <string> <vector> <memory>)
        set_property(GLOBAL PROPERTY TAPELINK_GUI_TEST_PCH ${name})
    endif()
endfunction()

function(tapelink_add_test)
    cmake_parse_arguments(ARG "" "NAME;LABEL;RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
    set(lock "")
    if(ARG_RESOURCE_LOCK)
        set(lock RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
    endif()
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS})
    tapelink_set_warnings(${ARG_NAME})
    if(ARG_LABEL STREQUAL "gui")
        if("tapelink_ui" IN_LIST ARG_LIBS)
            tapelink_share_gui_test_headers(${ARG_NAME})
        endif()
        # Qt Test executables are one ctest test each.
        add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
        set_tests_properties(${ARG_NAME} PROPERTIES LABELS gui
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ${lock})
    else()
        include(GoogleTest)
        gtest_discover_tests(${ARG_NAME} PROPERTIES LABELS ${ARG_LABEL} ${lock}
            DISCOVERY_TIMEOUT 60)
    endif()
endfunction()
