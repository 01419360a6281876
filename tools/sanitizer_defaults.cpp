// sanitizer_defaults.cpp -- built into every program of a sanitizer build: the leaks that are not ours
// to mend, each with its reason. Everything else LeakSanitizer finds fails the run.
extern "C" const char* __lsan_default_suppressions()
{
    return
        // The cursor's frame table is made once at start-up and kept for the whole run, like every
        // texture; the process exit reclaims it.
        "leak:AnimatedSprite::setup\n"
        // The system's libraries under SDL, wholly inside them: Xlib duplicates strings (the locale's
        // and the display's names) that it never frees; Mesa's GLX and D-Bus (which SDL2 loads under
        // the compatibility library) keep per-process tables until the exit reclaims them.
        "leak:libX11.so\n"
        "leak:libGLX_mesa.so\n"
        "leak:libdbus-1.so\n";
}

// Quiet about the suppressions themselves; report only what fails.
extern "C" const char* __lsan_default_options()
{
    return "print_suppressions=0";
}
