#pragma once
// The engine's file chooser as the program's file dialog: open or save, with the filter of the file kind.

#include "engine/files/file_chooser.h"

#include <string>

class QWidget;

namespace shell {

class QtFileChooser : public engine::FileChooser {
public:
    explicit QtFileChooser(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    std::string Choose(bool open, int kind, const std::string& title) override;

    // Why a save may not go to `path` (an existing file the user may not write), or "" when it may.
    static std::string RefusedSaveTarget(const std::string& path);

private:
    QWidget* m_parent;
};

} // namespace shell
