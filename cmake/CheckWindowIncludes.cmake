# cmake -DSOURCE_DIR=<repository> -P CheckWindowIncludes.cmake
# Fails when a subsystem's windows or the shared UI helpers include a platform adapter: the application
# builds the adapters and hands the windows their interfaces.
file(GLOB_RECURSE sources "${SOURCE_DIR}/archive/ui/*" "${SOURCE_DIR}/phone/ui/*" "${SOURCE_DIR}/common/*")
set(offenders "")
foreach(source IN LISTS sources)
    file(STRINGS "${source}" includes REGEX "^#include \"platform/")
    if(includes)
        list(APPEND offenders "${source}: ${includes}")
    endif()
endforeach()
if(offenders)
    list(JOIN offenders "\n" report)
    message(FATAL_ERROR "windows including platform adapters:\n${report}")
endif()
