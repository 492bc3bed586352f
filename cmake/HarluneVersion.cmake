# harlune_stamp_version(<target> [DESCRIPTION <text>])
# Compiles the target's version strings into it: "FileVersion" and "ProductVersion" from
# the project version, "FileDescription" (default: the target name) and "ProductName".
# platform/win reads them from the binary's file (GetFileVersionInfo and VerQueryValue),
# also when it is not loaded. Stamp only final binaries (executables, shared libraries).
function(harlune_stamp_version target)
    cmake_parse_arguments(ARG "" "DESCRIPTION" "" ${ARGN})
    if(NOT ARG_DESCRIPTION)
        set(ARG_DESCRIPTION ${target})
    endif()
    foreach(var ARG_DESCRIPTION)
        string(REPLACE "\\" "\\\\" ${var} "${${var}}")
        string(REPLACE "\"" "\\\"" ${var} "${${var}}")
    endforeach()
    set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.cpp)
    # The record: the marker "\x7fHRLVER\x01", then name/value pairs, each ended by a NUL,
    # and an empty name (the array's own terminator).
    file(CONFIGURE OUTPUT ${source} CONTENT
"// Version strings of ${target}, written by harlune_stamp_version.
__attribute__((used)) static const char harlune_version_record[] =
    \"\\x7f\" \"HRLVER\" \"\\x01\"
    \"FileVersion\\0\" \"${PROJECT_VERSION}\\0\"
    \"FileDescription\\0\" \"${ARG_DESCRIPTION}\\0\"
    \"ProductName\\0\" \"Harlune\\0\"
    \"ProductVersion\\0\" \"${PROJECT_VERSION}\\0\";
")
    target_sources(${target} PRIVATE ${source})
endfunction()
