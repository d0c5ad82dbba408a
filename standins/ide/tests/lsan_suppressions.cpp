// Leak-checker suppressions for GUI test programs: the system font library keeps caches that it
// never frees; they are not ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libfreetype\n";
}
