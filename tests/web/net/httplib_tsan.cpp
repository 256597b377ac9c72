// Debian's cpp-httplib is a prebuilt library that ThreadSanitizer can't see into: its threads
// sync in code TSan doesn't watch, so what it reports inside the library is noise. Our own code
// and the tests' handlers stay watched.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libcpp-httplib.so\n"
           "race:libcpp-httplib.so\n";
}
