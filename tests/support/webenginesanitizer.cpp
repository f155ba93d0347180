// Sanitizer defaults for the test programs that run Qt WebEngine: linked as an object file, so
// that the sanitizer runtime finds these functions in the executable.
#if defined(__SANITIZE_ADDRESS__)
// Qt WebEngine's own code, which is not built with the sanitizer, frees some objects through
// a base of another size and keeps a few allocations to the end; neither is this program's.
extern "C" const char *__asan_default_options()
{
    return "new_delete_type_mismatch=0";
}

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libQt6WebEngineCore.so\n"
           "leak:libfontconfig.so\n";
}
#endif
