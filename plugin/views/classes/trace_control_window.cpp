#include "plugin/views/classes/trace_control_window.h"

#include "plugin/views/object_window.h"

#include "platform/qt/control_id.h"
#include "platform/qt/file_dialog.h"
#include "platform/qt/locale_text.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace views {
namespace {

struct RadioMode {
    int id;
    uint32_t mode;
    const char* text;
};
constexpr RadioMode kRadios[] = {
    {TraceControlDialog::Continuous, 4, "Continuous"},
    {TraceControlDialog::OneShot, 0, "One-Shot"},
    {TraceControlDialog::OneShotAutoSend, 1, "One-Shot with Auto-Send"},
    {TraceControlDialog::WrapAround, 2, "Wrap-Around"},
    {TraceControlDialog::WrapAroundAutoSend, 3, "Wrap-Around with Auto-Send"},
};

// Controls enabled only with trace support, besides the radios.
constexpr int kTraceItems[] = {TraceControlDialog::ModeGroup, TraceControlDialog::AvailableGroup,
                               TraceControlDialog::AvailableBytes, TraceControlDialog::UploadedBytes,
                               TraceControlDialog::Uploads, TraceControlDialog::SavedBytes,
                               TraceControlDialog::SavedFiles, 1090, 1092, 1094, 1101, 1102};

TraceControlDialog::SaveChooser& saveChooser()
{
    static auto* chooser = new TraceControlDialog::SaveChooser;
    return *chooser;
}

std::optional<std::string> askForFile(QWidget* parent)
{
    platform::FileDialog dialog(parent);
    dialog.setOpen(false);
    dialog.setDefaultSuffix(QStringLiteral("dat"));
    const std::string chosen = platform::runFileDialog(dialog);
    return chosen.empty() ? std::nullopt : std::optional<std::string>(chosen);
}

template <typename W>
W* place(QWidget* parent, int id, const QString& text, int x, int y, int w, int h)
{
    auto* widget = new W(text, parent);
    platform::setControlId(widget, id);
    widget->setGeometry(x, y, w, h);
    return widget;
}

} // namespace

void TraceControlDialog::setSaveChooser(SaveChooser chooser) { saveChooser() = std::move(chooser); }

TraceControlModel& TraceControlDialog::sharedModel()
{
    static auto* model = new TraceControlModel;
    return *model;
}

TraceControlDialog::TraceControlDialog(TraceControlModel& model, QWidget* parent)
    : CDynamicDialog(kDialogId, parent), m_model(model)
{
    setWindowTitle(QStringLiteral("Trace Control Panel"));
    setWindowIcon(KernelWindowIcon());
    resize(440, 300);
    place<QGroupBox>(this, ModeGroup, QStringLiteral("Trace Mode"), 8, 8, 200, 160);
    int y = 30;
    for (const RadioMode& radio : kRadios) {
        auto* button = place<QRadioButton>(this, radio.id, platform::toQString(radio.text), 18, y, 185, 22);
        button->setAutoExclusive(false);
        const int id = radio.id;
        connect(button, &QRadioButton::clicked, this, [this, id] { onCommand(id); });
        y += 26;
    }
    place<QGroupBox>(this, AvailableGroup, QStringLiteral("Available"), 220, 8, 210, 60);
    place<QLabel>(this, AvailableBytes, QString(), 230, 32, 70, 22);
    place<QLabel>(this, 1090, QStringLiteral("Bytes"), 300, 32, 40, 22);
    place<QGroupBox>(this, UploadedGroup, QStringLiteral("Uploaded"), 220, 74, 210, 90);
    place<QLabel>(this, UploadedBytes, QString(), 230, 96, 70, 22);
    place<QLabel>(this, 1092, QStringLiteral("Bytes"), 300, 96, 40, 22);
    place<QLabel>(this, Uploads, QString(), 230, 126, 70, 22);
    place<QLabel>(this, 1094, QStringLiteral("Uploads"), 300, 126, 50, 22);
    place<QGroupBox>(this, SavedGroup, QStringLiteral("Saved"), 220, 170, 210, 80);
    place<QLabel>(this, SavedBytes, QString(), 230, 192, 70, 22);
    place<QLabel>(this, 1101, QStringLiteral("Bytes"), 300, 192, 40, 22);
    place<QLabel>(this, SavedFiles, QString(), 230, 220, 70, 22);
    place<QLabel>(this, 1102, QStringLiteral("Files"), 300, 220, 40, 22);
    auto* reason = place<QLabel>(this, Reason, QString(), 8, 176, 204, 80);
    reason->setWordWrap(true);
    reason->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const std::tuple<int, const char*, int, int> buttons[] = {
        {ResetTarget, "&Reset", 350, 30}, {Upload, "&Upload", 350, 58},  {Save, "&Save", 350, 96},
        {DiscardUploaded, "R&eset", 350, 126}, {Apply, "Apply", 180, 262}, {Ok, "OK", 264, 262},
        {Cancel, "Cancel", 348, 262}};
    for (const auto& [id, text, x, by] : buttons) {
        auto* push = place<QPushButton>(this, id, platform::toQString(text), x, by, 76, 24);
        push->setAutoDefault(id == Ok);
        push->setDefault(id == Ok);
        const int command = id;
        connect(push, &QPushButton::clicked, this, [this, command] { onCommand(command); });
    }
}

const layout::DynamicMapEntry* TraceControlDialog::GetDynamicMap() const
{
    // Every control keeps its size and the arrangement stays centred.
    static const layout::DynamicMapEntry kMap[] = {layout::mapModes(0, 3, 3), layout::mapEnd()};
    return kMap;
}

QWidget* TraceControlDialog::control(int id) const
{
    return findChild<QWidget*>(QString::number(id));
}

int TraceControlDialog::run()
{
    return exec();
}

bool TraceControlDialog::OnInitDialog()
{
    CDynamicDialog::OnInitDialog();
    prepare();
    return true;
}

void TraceControlDialog::prepare()
{
    m_model.Start();
    updateControls();
}

void TraceControlDialog::OnOK()
{
    m_model.ApplyMode();
    EndDialog(IdOk);
}

void TraceControlDialog::onCommand(int id)
{
    for (const RadioMode& radio : kRadios) {
        if (radio.id == id) {
            m_model.PickMode(radio.mode);
            updateControls();
            return;
        }
    }
    switch (id) {
    case Apply:
        m_model.ApplyMode();
        m_model.ReadTraceState();
        break;
    case Ok:
        OnOK();
        return;
    case Cancel:
        EndDialog(IdCancel);
        return;
    case Upload:
        m_model.Upload();
        break;
    case ResetTarget:
        m_model.ResetTarget();
        break;
    case Save: {
        const std::optional<std::string> path = saveChooser() ? saveChooser()(this) : askForFile(this);
        if (path && !path->empty())
            m_model.Save(*path); // a failed save keeps the data and shows nothing
        break;
    }
    case DiscardUploaded:
        m_model.DiscardUploaded();
        break;
    default:
        return;
    }
    updateControls();
}

void TraceControlDialog::updateControls()
{
    const TraceControlModel::Controls c = m_model.controls();
    for (int id : kTraceItems)
        control(id)->setEnabled(c.traceItems);
    for (const RadioMode& radio : kRadios) {
        auto* button = static_cast<QRadioButton*>(control(radio.id));
        button->setEnabled(c.traceItems);
        button->setChecked(radio.mode == c.checkedMode);
    }
    control(Ok)->setEnabled(c.okApply);
    control(Apply)->setEnabled(c.okApply);
    control(Cancel)->setEnabled(true);
    control(Upload)->setEnabled(c.uploadReset);
    control(ResetTarget)->setEnabled(c.uploadReset);
    control(Save)->setEnabled(c.saveDiscard);
    control(DiscardUploaded)->setEnabled(c.saveDiscard);
    static_cast<QLabel*>(control(AvailableBytes))->setText(platform::toQString(c.available));
    static_cast<QLabel*>(control(Reason))->setText(platform::toQString(c.reason));
    static_cast<QLabel*>(control(UploadedBytes))->setText(platform::toQString(c.uploadedBytes));
    static_cast<QLabel*>(control(Uploads))->setText(platform::toQString(c.uploads));
    static_cast<QLabel*>(control(SavedBytes))->setText(platform::toQString(c.savedBytes));
    static_cast<QLabel*>(control(SavedFiles))->setText(platform::toQString(c.savedFiles));
}

} // namespace views
