// Run-time settings of the address, leak and undefined-behaviour sanitizers, compiled into
// every program of a TINDRAL_SANITIZE build, so that a test run by hand behaves as under
// ctest. The sanitizers call these weak hooks before main; the environment's
// ASAN_OPTIONS, LSAN_OPTIONS and UBSAN_OPTIONS still override them.

extern "C" {

const char* __asan_default_options() {
    // A failure shows the whole report and ends the program with a non-zero status.
    return "detect_leaks=1:check_initialization_order=1:detect_stack_use_after_return=1";
}

const char* __ubsan_default_options() {
    return "print_stacktrace=1";
}

// Leaks the program cannot free: memory allocated inside system libraries for the life of
// the process. Each entry names the library that keeps it and why.
const char* __lsan_default_suppressions() {
    return
        // SDL opens a D-Bus connection for screen-saver and IME services; libdbus keeps its
        // connection and message bookkeeping until exit by design (dbus_shutdown is not
        // called by SDL, and calling it ourselves is unsafe while SDL may still use it).
        "leak:libdbus-1.so\n"
        // Mesa's software rasterizer keeps a texture's storage (its 496-byte resource record
        // and the texels) past the deletion of the texture and of the context after some
        // textured draws. The window deletes every texture and then its context
        // (engine/window.cpp), so nothing of the program's own is left to free.
        "leak:swrast_dri.so\n"
        // libvorbisfile 1.3.7 loses its list of stream serial numbers (8 bytes a stream)
        // when ov_open gives up on some damaged files (OV_EREAD): the failed open leaves no
        // handle through which the list could be freed.
        "leak:libvorbisfile.so\n";
}

}  // extern "C"
