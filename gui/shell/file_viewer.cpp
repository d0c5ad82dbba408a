#include "file_viewer.h"

#include "fixed_pitch.h"

#include "engine/util/file_io.h"
#include "gui/layout/dialog_maps.h"
#include "platform/core/message_service.h"
#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"
#include "platform/qt/wait_cursor.h"

#include <QPlainTextEdit>
#include <QPushButton>

ShowFileDialog::ShowFileDialog(const std::string& path, QWidget* parent)
    : CDynamicDialog(kTemplateId, parent), m_path(path)
{
    resize(600, 420);
    setWindowTitle(QStringLiteral("Showing file"));
    m_edit = new QPlainTextEdit(this);
    m_edit->setReadOnly(true);
    m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edit->setGeometry(8, 8, 584, 368);
    platform::setControlId(m_edit, kTextId);
    auto* print = new QPushButton(QStringLiteral("Print"), this);
    print->setGeometry(200, 386, 90, 26);
    print->setDefault(true);
    platform::setControlId(print, IdOk);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(310, 386, 90, 26);
    platform::setControlId(cancel, IdCancel);
    connect(print, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

const layout::DynamicMapEntry* ShowFileDialog::GetDynamicMap() const
{
    return layout::kOutputDialogMap;
}

bool ShowFileDialog::OnInitDialog()
{
    CDynamicDialog::OnInitDialog();
    platform::ScopedWaitCursor wait;
    std::string bytes;
    const engine::ReadResult result = engine::ReadWholeFile(m_path, bytes);
    if (result == engine::ReadResult::OpenFailed) {
        wait.restore();
        platform::messageBox("Unable to open file '" + m_path + "'", "", platform::MbOk | platform::MbIconInformation);
        return true;
    }
    if (result != engine::ReadResult::Ok) {
        // A folder, pipe or device is never read; a file that cannot be read whole says why.
        wait.restore();
        platform::messageBox("Unable to open file '" + m_path + "': " + engine::ReadFailureReason(result, m_path), "",
                             platform::MbOk | platform::MbIconInformation);
        return true;
    }
    m_text = std::move(bytes);
    shell::UseFixedPitchFont(m_edit);
    setWindowTitle(platform::captionText(QStringLiteral("Showing file ") + platform::toQString(m_path)));
    m_edit->setPlainText(platform::toQString(m_text));
    return true;
}
