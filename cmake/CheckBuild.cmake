# A check build is made only to run the tests once, as CI does: it is on when CI=true is in
# the environment (or -DHARLUNE_CHECK_BUILD=ON/OFF chooses). It trades what only a debugger
# or a user's speed needs for build time:
#   - the plain build: -O0 and no debug information (the default build keeps -O2 -g): a
#     test program compiles in half the time, and the suite runs in a minute or two anyway;
#   - the AddressSanitizer build: -O0 with line tables, so the sanitizer's reports still
#     name files and lines; optimising its instrumented code costs more than running it;
#   - the ThreadSanitizer and fuzz builds: -O1 with line tables (their runs need the speed);
#   - every build links with lld where it is installed.
if(DEFINED HARLUNE_CHECK_BUILD)
    set(check_build ${HARLUNE_CHECK_BUILD})
elseif("$ENV{CI}" STREQUAL "true")
    set(check_build ON)
else()
    set(check_build OFF)
endif()

if(check_build)
    if(HARLUNE_FUZZ OR SANITIZE STREQUAL "thread")
        set(check_flags "-O1 -g1")
    elseif(SANITIZE)
        set(check_flags "-O0 -g1")
    else()
        set(check_flags "-O0 -g0")
    endif()
    foreach(lang C CXX)
        set(CMAKE_${lang}_FLAGS_RELWITHDEBINFO "${check_flags} -DNDEBUG")
    endforeach()
    find_program(HARLUNE_LLD ld.lld)
    if(HARLUNE_LLD)
        add_link_options(-fuse-ld=lld)
    endif()
    # Most of a compile is parsing the standard, Qt and GoogleTest headers; a unity build
    # parses them once for a batch of a target's sources. -DCMAKE_UNITY_BUILD=OFF goes
    # without.
    if(NOT DEFINED CMAKE_UNITY_BUILD)
        set(CMAKE_UNITY_BUILD ON)
    endif()
    if(NOT DEFINED CMAKE_UNITY_BUILD_BATCH_SIZE)
        set(CMAKE_UNITY_BUILD_BATCH_SIZE 16)
    endif()
    message(STATUS "Check build: ${check_flags}, linker ${HARLUNE_LLD}, unity ${CMAKE_UNITY_BUILD}")
endif()

# A unity build (on in check builds) compiles a target's sources a batch at a time in one
# unit, as if each source were a header: GCC then takes a test's fixture in an anonymous
# namespace for one shared by headers, so that warning is off there. File-local names must
# not clash with those of another source of the same target; a source that cannot share a
# unit is marked SKIP_UNITY_BUILD_INCLUSION where its target is made.
if(CMAKE_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wno-subobject-linkage>)
endif()
