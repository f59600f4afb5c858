# Run by CPack on its staging folder once the package's files are installed (and stripped) there: the ELF
# files lose the .comment and .note sections, as Debian's packaging tools remove them.
file(GLOB_RECURSE tapelink_installed LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file IN LISTS tapelink_installed)
    if(IS_SYMLINK "${file}")
        continue()
    endif()
    file(READ "${file}" magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")
        execute_process(COMMAND "${CPACK_TAPELINK_OBJCOPY}" --remove-section=.comment --remove-section=.note "${file}"
                        RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "objcopy failed on ${file}")
        endif()
    endif()
endforeach()
