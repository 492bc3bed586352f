// Linked into the AddressSanitizer builds of the test programs that load and unload the driver
// library.
//
// The leak checker learns where each thread's dynamic thread-local blocks are by watching the
// calls that hand them out, and it keeps that record after the library is unloaded and its
// blocks are freed: the walk at exit can then read a stale block and crash. Here it does not
// watch those calls, so it keeps no such record and walks no such block.
//
// Static thread-local storage is still walked, as in every other test program, and it has to
// be: Qt's painting hands work to Qt's global thread pool, whose threads are detached and are
// stopped while the program exits, just before the check. Such a thread frees its per-thread
// data from its thread-local key destructor, after its QThread already counts as finished; on a
// loaded machine the check can come first, and until then that data is reachable only from the
// thread's thread-local storage. Leaving that storage out of the walk reported it as a leak.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_options()
{
    return "intercept_tls_get_addr=0";
}
#endif
