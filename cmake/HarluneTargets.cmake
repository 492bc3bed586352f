# Helpers shared by the CMake files of the tree.

# Precompiled headers. Carrier targets compile each header once under one kind of settings
# (the compiler takes a precompiled header only under the settings it was made with: library
# code, program code, Qt's position-independent programs); every target reuses the carrier
# of its kind (harlune_apply_pch, called once all targets exist). Clang loads a precompiled
# header lazily and a test's compile takes a third less time with the Qt, GoogleTest and
# standard headers precompiled; GCC reads the whole image (over 100 MB) into every compile,
# so with GCC only the Qt headers of the Qt targets are precompiled. ccache cannot cache a
# source compiled with a precompiled header: -DHARLUNE_PCH=OFF goes without.
option(HARLUNE_PCH "Precompile the Qt, GoogleTest and standard headers" ON)

function(harlune_add_pch_carriers)
    if(NOT HARLUNE_PCH)
        return()
    endif()
    set(dir ${CMAKE_BINARY_DIR}/pch)
    file(CONFIGURE OUTPUT ${dir}/carrier_lib.cpp CONTENT
         "// Carries precompiled headers for library code.\n")
    file(CONFIGURE OUTPUT ${dir}/carrier_main.cpp CONTENT
         "// Carries precompiled headers for programs.\nint main() { return 0; }\n")
    set(qt Qt6::Core Qt6::Gui Qt6::Widgets)
    add_library(harlune_pch_lib STATIC ${dir}/carrier_lib.cpp)
    target_precompile_headers(harlune_pch_lib PRIVATE ${CMAKE_SOURCE_DIR}/cmake/StdPch.h)
    add_library(harlune_pch_qt_lib STATIC ${dir}/carrier_lib.cpp)
    target_link_libraries(harlune_pch_qt_lib PRIVATE ${qt})
    target_precompile_headers(harlune_pch_qt_lib PRIVATE ${CMAKE_SOURCE_DIR}/cmake/QtPch.h)
    add_executable(harlune_pch_qt_exe ${dir}/carrier_main.cpp)
    target_link_libraries(harlune_pch_qt_exe PRIVATE ${qt})
    target_precompile_headers(harlune_pch_qt_exe PRIVATE ${CMAKE_SOURCE_DIR}/cmake/QtPch.h)
    add_executable(harlune_pch_test ${dir}/carrier_main.cpp)
    target_link_libraries(harlune_pch_test PRIVATE GTest::gtest GTest::gmock)
    target_precompile_headers(harlune_pch_test PRIVATE ${CMAKE_SOURCE_DIR}/cmake/TestPch.h)
    add_executable(harlune_pch_qt_test ${dir}/carrier_main.cpp)
    target_link_libraries(harlune_pch_qt_test PRIVATE ${qt} GTest::gtest GTest::gmock)
    target_precompile_headers(harlune_pch_qt_test PRIVATE ${CMAKE_SOURCE_DIR}/cmake/QtPch.h
                              ${CMAKE_SOURCE_DIR}/cmake/TestPch.h)
    # A carrier is built only when a target reuses its header (with GCC, only the Qt ones).
    set_target_properties(harlune_pch_lib harlune_pch_qt_lib harlune_pch_qt_exe harlune_pch_test
                          harlune_pch_qt_test PROPERTIES EXCLUDE_FROM_ALL ON)
endfunction()

# Whether <target> compiles with the usage requirements of a Qt module matching <pattern>:
# whether it links one itself or through the public interface of the libraries it links
# (what is linked privately by a library it links brings no compile settings).
function(harlune_links_qt target pattern var)
    get_target_property(pending ${target} LINK_LIBRARIES)
    if(NOT pending)
        set(pending)
    endif()
    set(seen)
    set(result OFF)
    while(pending)
        list(POP_FRONT pending current)
        if(current IN_LIST seen OR current MATCHES "^\\$<")
            continue()
        endif()
        list(APPEND seen ${current})
        if(current MATCHES "${pattern}")
            set(result ON)
            break()
        endif()
        if(TARGET ${current})
            get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
            if(interface)
                list(APPEND pending ${interface})
            endif()
        endif()
    endwhile()
    set(${var} ${result} PARENT_SCOPE)
endfunction()

# Gives every C++ target below <dir> the carrier of its kind. Targets with C sources or a
# precompiled header of their own are left alone.
function(harlune_apply_pch dir)
    if(NOT HARLUNE_PCH)
        return()
    endif()
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdir ${subdirs})
        harlune_apply_pch(${subdir})
    endforeach()
    foreach(target ${targets})
        if(target MATCHES "^harlune_pch_")
            continue()
        endif()
        get_target_property(type ${target} TYPE)
        if(NOT type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
            continue()
        endif()
        get_target_property(sources ${target} SOURCES)
        if(NOT sources OR "${sources}" MATCHES "\\.c(;|$)")
            continue()
        endif()
        get_target_property(own ${target} PRECOMPILE_HEADERS)
        get_target_property(reused ${target} PRECOMPILE_HEADERS_REUSE_FROM)
        if(own OR reused)
            continue()
        endif()
        get_target_property(test ${target} HARLUNE_TEST)
        if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
            # Any Qt module brings Qt's position-independent code, which a carrier must match.
            harlune_links_qt(${target} "^Qt6::" qt)
        else()
            # GCC takes a precompiled header only when every macro it was made with is defined
            # the same: the Qt carriers serve the targets with all their modules.
            harlune_links_qt(${target} "^Qt6::Widgets$" qt)
            set(test OFF)
            if(NOT qt)
                continue()
            endif()
        endif()
        if(type STREQUAL "EXECUTABLE")
            if(test AND qt)
                set(carrier harlune_pch_qt_test)
            elseif(test)
                set(carrier harlune_pch_test)
            elseif(qt)
                set(carrier harlune_pch_qt_exe)
            else()
                continue()
            endif()
        elseif(qt)
            set(carrier harlune_pch_qt_lib)
        else()
            set(carrier harlune_pch_lib)
        endif()
        target_precompile_headers(${target} REUSE_FROM ${carrier})
    endforeach()
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
# faults hide when one case runs after another; in the ThreadSanitizer build each of their
# cases runs in a process of its own. The plain and AddressSanitizer builds run each test
# program as one process (a process of its own for each of the 530 cases costs the
# AddressSanitizer step minutes on two cores). The Qt layers' tests start a Qt application
# in every process, which costs more than the case itself: they always run as one program.
if(SANITIZE STREQUAL "thread")
    set(per_case_default ON)
else()
    set(per_case_default OFF)
endif()
option(HARLUNE_TEST_PER_CASE
       "Run each case of the threaded layers' tests in its own process"
       ${per_case_default})

# The tests of one folder may share a program (on by default where sources already share
# units, as in check builds): g++ spends most of a test's compile on the standard, Qt and
# GoogleTest headers, which a unity unit of up to 16 tests parses once. A shared program is
# made of the tests of one folder with the same entry point and the same link to the driver
# (its library, its static archive, the simulators); it links the other libraries of them all
# and loads the driver when one of them does. Each test stays a CTest test of its own that
# runs only its suites (--gtest_filter), so the tests still run in parallel and apart, and a
# test <program>.cases checks that each case of the program runs in exactly one of them. The
# threaded layers' tests (driver, platform/win, platform/portio, platform/usb) keep one
# program each: they count on which of a static archive's objects (and self-registrations) a
# program links.
if(NOT DEFINED HARLUNE_SHARE_TEST_PROGRAMS)
    if(CMAKE_UNITY_BUILD)
        set(HARLUNE_SHARE_TEST_PROGRAMS ON)
    else()
        set(HARLUNE_SHARE_TEST_PROGRAMS OFF)
    endif()
endif()
option(HARLUNE_SHARE_TEST_PROGRAMS "Build the tests of a folder into shared programs"
       ${HARLUNE_SHARE_TEST_PROGRAMS})

# The GoogleTest suites <sources> define (TEST, TEST_F, TEST_P, TYPED_TEST, TYPED_TEST_P), in
# <var>; empty when a source defines its tests in another way.
function(harlune_test_suites var)
    set(suites)
    set(pattern "(^|[^A-Za-z0-9_])(TEST|TEST_F|TEST_P|TYPED_TEST|TYPED_TEST_P)\\( *[A-Za-z_][A-Za-z0-9_]*")
    foreach(source ${ARGN})
        file(STRINGS ${source} lines REGEX "${pattern}")
        foreach(line ${lines})
            string(REGEX MATCHALL "${pattern}" found "${line}")
            foreach(one ${found})
                string(REGEX REPLACE ".*\\( *" "" suite "${one}")
                list(APPEND suites ${suite})
            endforeach()
        endforeach()
    endforeach()
    list(REMOVE_DUPLICATES suites)
    set(${var} ${suites} PARENT_SCOPE)
endfunction()

# The shared program a test of <folder> (its sources, libraries, NO_MAIN and definitions) goes
# into, in <program_var> (empty when it keeps its own), the GoogleTest filter of its suites in
# <filter_var> and the suites in <suites_var>.
function(harlune_shared_test_program folder sources libs no_main definitions program_var
         filter_var suites_var)
    set(${program_var} "" PARENT_SCOPE)
    if(NOT HARLUNE_SHARE_TEST_PROGRAMS OR folder MATCHES "${HARLUNE_THREADED_LABELS}")
        return()
    endif()
    # The entry point: GoogleTest's own, or a source of the folder that only holds a main (a
    # test whose own source has its main keeps its program).
    set(own)
    set(entry gtest_main)
    foreach(source ${sources})
        get_filename_component(path ${source} ABSOLUTE)
        file(STRINGS ${path} mains REGEX "^int main\\(")
        get_filename_component(stem ${source} NAME_WE)
        if(mains)
            if(NOT no_main OR stem MATCHES "Test$")
                return()
            endif()
            set(entry ${stem})
        else()
            list(APPEND own ${path})
        endif()
    endforeach()
    if(no_main AND entry STREQUAL "gtest_main")
        return()
    endif()
    harlune_test_suites(suites ${own})
    if(NOT suites)
        return()
    endif()
    set(driver_libs)
    foreach(lib ${libs})
        if(lib MATCHES "^(VYKDRV32|vykdrv32_core|sim|platform_usb)$")
            list(APPEND driver_libs ${lib})
        endif()
    endforeach()
    string(MD5 key "${folder}|${entry}|${driver_libs}")
    get_property(program GLOBAL PROPERTY HARLUNE_TEST_PROGRAM_${key})
    if(program)
        # Two tests of one program may not name the same suite or define a macro two ways.
        get_property(taken TARGET ${program} PROPERTY HARLUNE_TEST_SUITES)
        foreach(suite ${suites})
            if(suite IN_LIST taken)
                return()
            endif()
        endforeach()
        get_property(defined TARGET ${program} PROPERTY HARLUNE_TEST_DEFINITIONS)
        foreach(definition ${definitions})
            string(REGEX REPLACE "=.*" "" macro "${definition}")
            foreach(other ${defined})
                string(REGEX REPLACE "=.*" "" other_macro "${other}")
                if(macro STREQUAL other_macro AND NOT definition STREQUAL other)
                    return()
                endif()
            endforeach()
        endforeach()
    else()
        string(REPLACE "/" "_" program "${folder}_tests")
        if(NOT entry STREQUAL "gtest_main")
            string(TOLOWER "${entry}" lower)
            string(APPEND program "_${lower}")
        endif()
        # The folder's tests on the driver get a program of their own kind.
        set(base ${program})
        set(count 1)
        while(TARGET ${program})
            math(EXPR count "${count} + 1")
            set(program ${base}${count})
        endwhile()
        set_property(GLOBAL PROPERTY HARLUNE_TEST_PROGRAM_${key} ${program})
    endif()
    set(filter)
    foreach(suite ${suites})
        list(APPEND filter "${suite}.*" "${suite}/*" "*/${suite}.*")
    endforeach()
    list(JOIN filter ":" filter)
    set(${program_var} ${program} PARENT_SCOPE)
    set(${filter_var} ${filter} PARENT_SCOPE)
    set(${suites_var} ${suites} PARENT_SCOPE)
endfunction()

# harlune_add_test(<name> SOURCES <files...> LIBS <targets...> [QT] [NO_MAIN] [LOADS_DRIVER]
#                  [ALONE] [TIMEOUT <s>] [DEFINITIONS <macro=value...>] [DEPENDS <targets...>])
# A GoogleTest program run by CTest through run-test.sh, which gives every run its own
# fresh temporary folder for the registry hives, the configuration, the runtime folder
# and "VYKDRV.INI", so tests never touch the user's files and run in parallel. Under
# HARLUNE_TEST_PER_CASE the cases of the threaded layers' tests become CTest tests of their
# own, named <name>.<Suite>.<Case>, listed when CTest starts. LOADS_DRIVER: the program loads
# libVYKDRV32.so at run time (see harlune_test_loads_driver). DEPENDS: targets built before
# the program. ALONE: the test keeps a program of its own, named <name>, where tests would
# share one (a test whose program other commands name). harlune_test_program() gives the
# program of a test.
function(harlune_add_test name)
    cmake_parse_arguments(ARG "QT;NO_MAIN;LOADS_DRIVER;ALONE" "TIMEOUT"
                          "SOURCES;LIBS;DEFINITIONS;DEPENDS" ${ARGN})
    harlune_test_folder(folder)
    set(program)
    if(NOT ARG_ALONE)
        harlune_shared_test_program(${folder} "${ARG_SOURCES}" "${ARG_LIBS}" "${ARG_NO_MAIN}"
                                    "${ARG_DEFINITIONS}" program filter suites)
    endif()
    set(made OFF)
    if(program)
        set(sources)
        foreach(source ${ARG_SOURCES})
            get_filename_component(path ${source} ABSOLUTE)
            list(APPEND sources ${path})
        endforeach()
        if(TARGET ${program})
            get_target_property(present ${program} SOURCES)
            list(REMOVE_ITEM sources ${present})
            if(sources)
                target_sources(${program} PRIVATE ${sources})
            endif()
        else()
            add_executable(${program} ${sources})
            set(made ON)
            # Once the folder is read: a test that every case of the program runs in one test.
            cmake_language(EVAL CODE
                           "cmake_language(DEFER CALL harlune_check_shared_program ${program} ${folder})")
        endif()
        set_property(TARGET ${program} APPEND PROPERTY HARLUNE_TEST_SUITES ${suites})
        set_property(TARGET ${program} APPEND PROPERTY HARLUNE_TEST_DEFINITIONS ${ARG_DEFINITIONS})
        set_property(TARGET ${program} APPEND PROPERTY HARLUNE_TEST_FILTERS "${filter}")
    else()
        set(program ${name})
        add_executable(${program} ${ARG_SOURCES})
        set(made ON)
    endif()
    set_property(GLOBAL PROPERTY HARLUNE_TEST_PROGRAM_OF_${name} ${program})
    if(NOT made)
        target_link_libraries(${program} PRIVATE ${ARG_LIBS})
    else()
        if(ARG_NO_MAIN)
            target_link_libraries(${program} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
        else()
            target_link_libraries(${program} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock
                                                     GTest::gtest_main)
        endif()
        set_property(TARGET ${program} PROPERTY HARLUNE_TEST ON)
        harlune_note_threaded_test(${folder} ${program})
    endif()
    get_property(loads TARGET ${program} PROPERTY HARLUNE_TEST_LOADS_DRIVER)
    if(ARG_LOADS_DRIVER AND NOT loads)
        set_property(TARGET ${program} PROPERTY HARLUNE_TEST_LOADS_DRIVER ON)
        harlune_test_loads_driver(${program})
    endif()
    if(ARG_DEFINITIONS)
        target_compile_definitions(${program} PRIVATE ${ARG_DEFINITIONS})
    endif()
    if(ARG_DEPENDS)
        add_dependencies(${program} ${ARG_DEPENDS})
    endif()
    set(properties LABELS ${folder})
    if(ARG_TIMEOUT)
        list(APPEND properties TIMEOUT ${ARG_TIMEOUT})
    endif()
    if(HARLUNE_TEST_PER_CASE AND folder MATCHES "${HARLUNE_THREADED_LABELS}")
        set_target_properties(${program} PROPERTIES CROSSCOMPILING_EMULATOR
                                                    "${HARLUNE_TEST_LAUNCHER}")
        gtest_discover_tests(${program} TEST_PREFIX "${name}." DISCOVERY_MODE PRE_TEST
                             DISCOVERY_TIMEOUT 120 NO_PRETTY_TYPES NO_PRETTY_VALUES
                             PROPERTIES ${properties})
    elseif(program STREQUAL name)
        add_test(NAME ${name} COMMAND ${HARLUNE_TEST_LAUNCHER} $<TARGET_FILE:${name}>)
        set_tests_properties(${name} PROPERTIES ${properties})
    else()
        add_test(NAME ${name} COMMAND ${HARLUNE_TEST_LAUNCHER} $<TARGET_FILE:${program}>
                                      "--gtest_filter=${filter}")
        set_tests_properties(${name} PROPERTIES ${properties})
    endif()
endfunction()

# harlune_test_program(<name> <var>): the program test <name> runs (its own, or the one it
# shares with other tests of its folder).
function(harlune_test_program name var)
    get_property(program GLOBAL PROPERTY HARLUNE_TEST_PROGRAM_OF_${name})
    set(${var} ${program} PARENT_SCOPE)
endfunction()

# A CTest test of a shared program: each of the program's cases is run by exactly one of the
# tests that share it (a suite that no filter names would never run).
function(harlune_check_shared_program program folder)
    get_property(filters TARGET ${program} PROPERTY HARLUNE_TEST_FILTERS)
    list(LENGTH filters count)
    if(count LESS 2)
        return()
    endif()
    add_test(NAME ${program}.cases
             COMMAND ${HARLUNE_TEST_LAUNCHER} ${CMAKE_SOURCE_DIR}/cmake/check-shared-tests.sh
                     $<TARGET_FILE:${program}> ${filters})
    set_tests_properties(${program}.cases PROPERTIES LABELS ${folder})
endfunction()

# harlune_test_loads_driver(<program>): the test program loads libVYKDRV32.so at run time
# (built before it) and unloads it. The leak checker's record of the library's dynamic
# thread-local blocks outlives the unload, and at exit its walk of them could read a stale
# block and crash; in AddressSanitizer builds such a program keeps no such record, while its
# static thread-local storage is still walked.
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
