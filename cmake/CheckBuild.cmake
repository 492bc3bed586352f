# A check build is made only to run the tests once, as CI does: it is on when CI=true is in
# the environment (or -DHARLUNE_CHECK_BUILD=ON/OFF chooses). It keeps the build type's
# optimisation in the plain build but trades what only a debugger needs for build time:
#   - line tables only (-g1) instead of full debug information: stack traces and the
#     sanitizers' reports still name files and lines;
#   - under a sanitizer (and in the fuzz build), -O1, the sanitizers' usual level, instead
#     of -O2.
if(DEFINED HARLUNE_CHECK_BUILD)
    set(check_build ${HARLUNE_CHECK_BUILD})
elseif("$ENV{CI}" STREQUAL "true")
    set(check_build ON)
else()
    set(check_build OFF)
endif()

if(check_build)
    if(SANITIZE)
        set(optimise -O1)
    else()
        set(optimise -O2)
    endif()
    foreach(lang C CXX)
        set(CMAKE_${lang}_FLAGS_RELWITHDEBINFO "${optimise} -g1 -DNDEBUG")
    endforeach()
    message(STATUS "Check build: ${optimise} -g1")
endif()

# -DCMAKE_UNITY_BUILD=ON compiles a target's sources a few at a time in one unit (about half
# the processor time of a Qt library under a sanitizer). A unit includes its sources as if
# they were headers, so GCC takes a test's fixture in an anonymous namespace for one shared
# by headers: that warning is off there. Sources whose file-local names clash with a
# neighbour's must be renamed (or marked SKIP_UNITY_BUILD_INCLUSION) first.
if(CMAKE_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-Wno-subobject-linkage)
endif()
