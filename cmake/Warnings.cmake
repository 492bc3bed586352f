# Warnings everywhere; errors in continuous integration (CI=true), except in the fuzz build,
# whose libFuzzer instrumentation warns about things of its own.
add_compile_options(-Wall -Wextra)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # The standard library's std::stable_sort calls its own deprecated
    # std::get_temporary_buffer, which clang reports at every use of the sort.
    add_compile_options(-Wno-deprecated-declarations)
endif()
if("$ENV{CI}" STREQUAL "true" AND NOT HARLUNE_FUZZ)
    add_compile_options(-Werror)
endif()
