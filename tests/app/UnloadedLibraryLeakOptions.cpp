// Linked into the AddressSanitizer builds of the test programs that load and unload the driver
// library. Its thread-local blocks stay listed in each thread after the unload, and the leak
// checker's walk of thread-local storage at exit can then read a stale block and crash. That
// storage is left out of the walk (which can only report more leaks, never fewer); the
// per-thread data of glib and of the print system's library (set up for print dialogs),
// reachable only from there, is not leaked.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_options()
{
    return "use_tls=0";
}

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libglib-2.0.so\n"
           "leak:libcups.so\n";
}
#endif
