#pragma once
// "Showing file": a report in a resizable read-only window with a fixed-pitch font. "Print" ends the
// dialog with OK (the caller prints), "Cancel" with Cancel. The file's bytes are shown as they are.

#include "gui/layout/dynamic_dialog.h"

#include <string>

class QPlainTextEdit;
class QPushButton;

class ShowFileDialog : public CDynamicDialog {
    Q_OBJECT

public:
    static constexpr unsigned kTemplateId = 209;
    static constexpr int kTextId = 1271;

    ShowFileDialog(const std::string& path, QWidget* parent);

    const std::string& text() const { return m_text; }
    QPlainTextEdit* textEdit() const { return m_edit; }

protected:
    bool OnInitDialog() override;
    const layout::DynamicMapEntry* GetDynamicMap() const override;

private:
    std::string m_path;
    std::string m_text;
    QPlainTextEdit* m_edit;
};
