# -DSANITIZE=address|thread|undefined builds everything with that sanitizer.
#   address    AddressSanitizer (with its leak checker) and UndefinedBehaviorSanitizer
#   thread     ThreadSanitizer
#   undefined  UndefinedBehaviorSanitizer alone
# Undefined behaviour stops the program at the first report (-fno-sanitize-recover), so a
# test cannot pass over it. The run-time options every test gets are in
# HARLUNE_SANITIZER_ENVIRONMENT (a list of NAME=value for CTest's ENVIRONMENT property).
set(SANITIZE "" CACHE STRING "Sanitizer to build with: address (with undefined), thread or undefined")
set(HARLUNE_SANITIZER_ENVIRONMENT "")

# -DHARLUNE_FUZZ=ON (with clang) adds the fuzz targets of fuzz/: everything is compiled
# with libFuzzer's coverage and AddressSanitizer with UndefinedBehaviorSanitizer.
option(HARLUNE_FUZZ "Build the libFuzzer targets of fuzz/ (needs clang)" OFF)
if(HARLUNE_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "HARLUNE_FUZZ needs clang (CC=clang CXX=clang++)")
    endif()
    set(SANITIZE address CACHE STRING "" FORCE)
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
if(SANITIZE)
    if(NOT SANITIZE MATCHES "^(address|thread|undefined)$")
        message(FATAL_ERROR "SANITIZE must be address, thread or undefined, not '${SANITIZE}'")
    endif()
    if(SANITIZE STREQUAL "address")
        set(sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined)
    elseif(SANITIZE STREQUAL "undefined")
        set(sanitize_flags -fsanitize=undefined -fno-sanitize-recover=undefined)
    else()
        set(sanitize_flags -fsanitize=thread)
    endif()
    add_compile_options(${sanitize_flags} -fno-omit-frame-pointer)
    add_link_options(${sanitize_flags})
    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        # The C programs (the C clients of the driver) load C++ libraries built with the
        # sanitizer: they need its C++ run-time too.
        add_link_options(-fsanitize-link-c++-runtime $<$<LINK_LANGUAGE:C>:-lstdc++>)
        # The code tells the sanitizers about its own stack switches (the script engine's
        # stacks) under the macros GCC defines for a sanitizer build; clang defines none.
        if(SANITIZE STREQUAL "address")
            add_compile_definitions(__SANITIZE_ADDRESS__=1)
        elseif(SANITIZE STREQUAL "thread")
            add_compile_definitions(__SANITIZE_THREAD__=1)
        endif()
    endif()
    if("$ENV{CI}" STREQUAL "true" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        # GCC's flow-based warnings misfire on the sanitizers' instrumentation (in the
        # standard library's own headers): still shown, but not errors here. The plain
        # build keeps them as errors.
        add_compile_options(-Wno-error=maybe-uninitialized -Wno-error=stringop-overflow)
    endif()

    # Suppressions name faults in outside libraries only; each line says why.
    set(supp ${CMAKE_SOURCE_DIR}/cmake/sanitizers)
    # Tests that ask for more memory than the machine has expect a failed allocation
    # (std::bad_alloc, a null from malloc), not the sanitizer's abort. Locals stay on the
    # real stack (no fake frames for use after return): the driver's tests check how deep
    # its scan loop's stack goes.
    set(ubsan "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:suppressions=${supp}/ubsan.supp")
    if(SANITIZE STREQUAL "address")
        list(APPEND HARLUNE_SANITIZER_ENVIRONMENT
             "ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=0"
             "LSAN_OPTIONS=suppressions=${supp}/lsan.supp:print_suppressions=0"
             "${ubsan}")
    elseif(SANITIZE STREQUAL "undefined")
        list(APPEND HARLUNE_SANITIZER_ENVIRONMENT "${ubsan}")
    else()
        list(APPEND HARLUNE_SANITIZER_ENVIRONMENT
             "TSAN_OPTIONS=allocator_may_return_null=1:halt_on_error=1:second_deadlock_stack=1:suppressions=${supp}/tsan.supp")
    endif()
endif()
