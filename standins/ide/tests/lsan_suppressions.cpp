// Leak-checker suppressions for GUI test programs: the system font libraries keep caches that they
// never free, and so does the D-Bus library that the X11 platform plug-in uses; they are not ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libfreetype\nleak:libdbus-1\n";
}
