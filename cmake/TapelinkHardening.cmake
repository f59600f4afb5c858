# Debian's hardening for optimised builds (the package is one): fortified libc calls, a stack protector,
# and relocations resolved and made read-only at start. Sanitizer and fuzzer builds keep their own flags.
option(TAPELINK_HARDEN "Build optimised builds with the distribution's hardening flags" ON)
if(TAPELINK_HARDEN AND NOT TAPELINK_SANITIZE AND NOT TAPELINK_BUILD_FUZZERS
   AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    # -U first: a compiler that defines its own level would otherwise warn of a redefinition.
    add_compile_options(-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2 -fstack-protector-strong)
    add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
