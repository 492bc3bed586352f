# Helpers shared by the CMake files of the tree.

# Precompiled Qt headers: the Qt headers dominate a Qt target's compile time. Two carrier
# targets compile them once, one as library code (-fPIC) and one as program code (-fPIE),
# since the compiler takes a precompiled header only under the settings it was made with;
# every Qt target reuses one of them. Called once, after Qt is found. ccache cannot cache
# a source compiled with them: -DHARLUNE_QT_PCH=OFF goes without.
option(HARLUNE_QT_PCH "Precompile the Qt headers" ON)
function(harlune_add_qt_pch_carriers)
    if(NOT HARLUNE_QT_PCH)
        return()
    endif()
    set(dir ${CMAKE_BINARY_DIR}/qt_pch)
    file(CONFIGURE OUTPUT ${dir}/carrier_lib.cpp CONTENT
         "// Carries the precompiled Qt headers of the Qt libraries.\n")
    file(CONFIGURE OUTPUT ${dir}/carrier_main.cpp CONTENT
         "// Carries the precompiled Qt headers of the Qt programs.\nint main() { return 0; }\n")
    add_library(harlune_qt_pch_lib STATIC ${dir}/carrier_lib.cpp)
    add_executable(harlune_qt_pch_exe ${dir}/carrier_main.cpp)
    foreach(carrier harlune_qt_pch_lib harlune_qt_pch_exe)
        target_link_libraries(${carrier} PRIVATE Qt6::Core Qt6::Gui Qt6::Widgets)
        target_precompile_headers(${carrier} PRIVATE ${CMAKE_SOURCE_DIR}/cmake/QtPch.h)
    endforeach()
endfunction()

function(harlune_qt_pch target)
    if(NOT HARLUNE_QT_PCH)
        return()
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        target_precompile_headers(${target} REUSE_FROM harlune_qt_pch_exe)
    else()
        target_precompile_headers(${target} REUSE_FROM harlune_qt_pch_lib)
    endif()
endfunction()

include(GoogleTest)

# Every test runs through run-test.sh, with the sanitizer's run-time options when the
# build has one.
set(HARLUNE_TEST_LAUNCHER ${CMAKE_SOURCE_DIR}/cmake/run-test.sh)
if(HARLUNE_SANITIZER_ENVIRONMENT)
    set(HARLUNE_TEST_LAUNCHER env ${HARLUNE_SANITIZER_ENVIRONMENT} ${HARLUNE_TEST_LAUNCHER})
endif()

# The tests of the threaded layers (the driver, platform/win, platform/portio, platform/usb)
# keep process-wide state (the driver's start-up and exit, handle tables, caches) whose
# faults hide when one case runs after another; in sanitizer builds each of their cases
# runs in a process of its own. The Qt layers' tests start a Qt application in every
# process, which costs more than the case itself: they run as one program.
if(SANITIZE)
    set(per_case_default ON)
else()
    set(per_case_default OFF)
endif()
option(HARLUNE_TEST_PER_CASE
       "Run each case of the threaded layers' tests in its own process"
       ${per_case_default})

# harlune_add_test(<name> SOURCES <files...> LIBS <targets...> [QT] [NO_MAIN] [TIMEOUT <s>])
# A GoogleTest program run by CTest through run-test.sh, which gives every run its own
# fresh temporary folder for the registry hives, the configuration, the runtime folder
# and "VYKDRV.INI", so tests never touch the user's files and run in parallel. Under
# HARLUNE_TEST_PER_CASE the cases of the threaded layers' tests become CTest tests of their
# own, named <name>.<Suite>.<Case>, listed when CTest starts.
function(harlune_add_test name)
    cmake_parse_arguments(ARG "QT;NO_MAIN" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_NO_MAIN)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
    else()
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock
                                              GTest::gtest_main)
    endif()
    if(ARG_QT)
        harlune_qt_pch(${name})
    endif()
    harlune_test_folder(folder)
    harlune_note_threaded_test(${folder} ${name})
    set(properties LABELS ${folder})
    if(ARG_TIMEOUT)
        list(APPEND properties TIMEOUT ${ARG_TIMEOUT})
    endif()
    if(HARLUNE_TEST_PER_CASE AND folder MATCHES "${HARLUNE_THREADED_LABELS}")
        set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
                                                 "${HARLUNE_TEST_LAUNCHER}")
        gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_MODE PRE_TEST
                             DISCOVERY_TIMEOUT 120 NO_PRETTY_TYPES NO_PRETTY_VALUES
                             PROPERTIES ${properties})
    else()
        add_test(NAME ${name} COMMAND ${HARLUNE_TEST_LAUNCHER} $<TARGET_FILE:${name}>)
        set_tests_properties(${name} PROPERTIES ${properties})
    endif()
endfunction()

# harlune_test_loads_driver(<name>): the test program loads libVYKDRV32.so at run time (built
# before it) and unloads it. The library's thread-local blocks stay listed in every thread
# after the unload, and at exit the leak checker's walk of them can read a stale block and
# crash; in AddressSanitizer builds such a program leaves thread-local storage out of that walk.
function(harlune_test_loads_driver name)
    add_dependencies(${name} VYKDRV32)
    if(SANITIZE STREQUAL "address")
        target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/app/UnloadedLibraryLeakOptions.cpp)
    endif()
endfunction()

# The folder of the calling CMakeLists.txt below tests/ ("driver/core"): the tests' label.
macro(harlune_test_folder var)
    file(RELATIVE_PATH ${var} ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
endmacro()

# The tests of the threaded layers (the driver with the simulators it runs on, platform/win,
# platform/portio, platform/usb) are what the ThreadSanitizer step builds and runs: the
# target harlune_threaded_tests builds them, their labels select them.
set(HARLUNE_THREADED_LABELS "^(driver|platform/win|platform/portio|platform/usb)(/|$)")
function(harlune_note_threaded_test folder)
    if(folder MATCHES "${HARLUNE_THREADED_LABELS}")
        set_property(GLOBAL APPEND PROPERTY HARLUNE_THREADED_TESTS ${ARGN})
    endif()
endfunction()

# harlune_add_plain_test(<name> COMMAND <command...>): any program whose exit code is
# the verdict (a plain C client, a script), in the same fresh folders.
function(harlune_add_plain_test name)
    cmake_parse_arguments(ARG "" "" "COMMAND" ${ARGN})
    add_test(NAME ${name} COMMAND ${HARLUNE_TEST_LAUNCHER} ${ARG_COMMAND})
    harlune_test_folder(folder)
    set_tests_properties(${name} PROPERTIES LABELS ${folder})
    # The programs the command runs are built with the folder's other tests.
    string(REGEX MATCHALL "\\$<TARGET_FILE:[^>]+>" files "${ARG_COMMAND}")
    foreach(file ${files})
        string(REGEX REPLACE "^\\$<TARGET_FILE:([^>]+)>$" "\\1" target "${file}")
        harlune_note_threaded_test(${folder} ${target})
    endforeach()
endfunction()

# harlune_add_bench(<name> SOURCES <files...> LIBS <targets...>): a Google Benchmark
# program; never run by the tests.
function(harlune_add_bench name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()

# Adds every CMakeLists.txt found below <dir> (tests/ and bench/ mirror the tree; each
# leaf folder with a CMakeLists.txt is added, and none of them adds folders itself).
function(harlune_add_leaf_folders dir)
    file(GLOB_RECURSE lists CONFIGURE_DEPENDS ${dir}/*/CMakeLists.txt)
    list(SORT lists)
    foreach(list_file ${lists})
        get_filename_component(folder ${list_file} DIRECTORY)
        add_subdirectory(${folder})
    endforeach()
endfunction()
