# Warnings everywhere; errors in continuous integration (CI=true).
add_compile_options(-Wall -Wextra)
if("$ENV{CI}" STREQUAL "true")
    add_compile_options(-Werror)
endif()
