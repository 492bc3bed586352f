# Helpers shared by the CMake files of the tree.

# Precompiled Qt headers: the Qt headers dominate a Qt target's compile time. Two carrier
# targets compile them once, one as library code (-fPIC) and one as program code (-fPIE),
# since the compiler takes a precompiled header only under the settings it was made with;
# every Qt target reuses one of them. Called once, after Qt is found.
function(harlune_add_qt_pch_carriers)
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
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        target_precompile_headers(${target} REUSE_FROM harlune_qt_pch_exe)
    else()
        target_precompile_headers(${target} REUSE_FROM harlune_qt_pch_lib)
    endif()
endfunction()

# harlune_add_test(<name> SOURCES <files...> LIBS <targets...> [QT])
# A GoogleTest program run by CTest through run-test.sh, which gives every run its own
# fresh temporary folder for the registry hives, the configuration, the runtime folder
# and "VYKDRV.INI", so tests never touch the user's files and run in parallel.
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
    add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/cmake/run-test.sh $<TARGET_FILE:${name}>)
    if(ARG_TIMEOUT)
        set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
    endif()
endfunction()

# harlune_add_plain_test(<name> COMMAND <command...>): any program whose exit code is
# the verdict (a plain C client, a script), in the same fresh folders.
function(harlune_add_plain_test name)
    cmake_parse_arguments(ARG "" "" "COMMAND" ${ARGN})
    add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/cmake/run-test.sh ${ARG_COMMAND})
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
