#pragma once
// The desktop program's save of one file, reported once: the user reads per failed file one box that
// names the file and says why it was not saved, instead of the writer's step-by-step messages.

#include <functional>
#include <string>

namespace engine {

enum class SaveEnd { Saved, Failed, Cancelled };

// Runs `write`, which saves one file: the file named `path`, or, when `path` is empty, a file whose name
// `write` asks of the file chooser. The plain boxes `write` shows are held back. After a save they are shown
// as they came. After a failure the user gets one box, captioned "File I/O Error": the save's text ("Unable
// to write application file", "Unable to write or create application file" for a name just chosen, "Error
// writing project"), the file and why ("... control.app: the file is read-only"), or the writer's own text
// when it refused the content before writing anything. Questions, and whatever the chooser shows while the
// user picks a name, reach the user at once. A choice the user cancels ends as Cancelled, without a box.
SaveEnd SaveWithOneMessage(const std::string& what, const std::string& path, const std::function<bool()>& write);

} // namespace engine
