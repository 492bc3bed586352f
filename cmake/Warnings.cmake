# Warnings everywhere; errors in continuous integration (CI=true).
add_compile_options(-Wall -Wextra)
# Errors for the project's compiler only: the clang build of the fuzz targets warns about
# other things.
if("$ENV{CI}" STREQUAL "true" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-Werror)
endif()
