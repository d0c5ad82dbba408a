#pragma once
// Signal settings every program makes at its start, and the hold that keeps an interrupt from ending the
// program while a save puts its files in place.

namespace platform {

// Lets a write beyond the file-size limit (ulimit -f) fail with "File too large" instead of ending the
// program: the saver then reports the file, removes its temporary and keeps the old file whole.
void ignoreFileSizeLimitSignal();

// SIGINT, SIGTERM and SIGHUP end the program only when no thread holds them. A hold is process-wide: the
// program's handler of these signals, on whichever thread it runs, keeps a signal that comes during a hold,
// and the release of the last hold delivers it on the releasing thread. Holds nest and may overlap between
// threads.
void holdInterrupts();
void releaseInterrupts();

// For a handler of SIGINT, SIGTERM or SIGHUP, called first: true when a hold is on and the signal is kept
// for its end (the handler then returns at once). Async-signal-safe.
bool keepInterruptForLater(int signal);

// Installs a handler of SIGINT, SIGTERM and SIGHUP that ends the program by the signal's own default, once
// no hold is left (for a program that does nothing else on them).
void endOnInterruptsOnceReleased();

} // namespace platform
