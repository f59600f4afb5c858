# Warning and sanitizer flags shared by every target of the project.
function(tapelink_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

if(TAPELINK_SANITIZE)
    add_compile_options(-fsanitize=${TAPELINK_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${TAPELINK_SANITIZE})
endif()
