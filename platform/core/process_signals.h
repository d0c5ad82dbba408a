#pragma once
// Signal settings every program makes at its start.

namespace platform {

// Lets a write beyond the file-size limit (ulimit -f) fail with "File too large" instead of ending the
// program: the saver then reports the file, removes its temporary and keeps the old file whole.
void ignoreFileSizeLimitSignal();

} // namespace platform
