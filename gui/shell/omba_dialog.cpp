#include "omba_dialog.h"

#include "gui/shell/window_placement.h"
#include "platform/qt/locale_text.h"

#include <QApplication>

COMBADialog::COMBADialog(unsigned templateId, QWidget* parent)
    : CDynamicDialog(templateId, parent, FreedomBoth, FlagSizeGrip | FlagRedrawStyle)
    , m_placementKey(templateId ? CDynamicDialog::placementName(templateId) : std::string())
{
}

COMBADialog::~COMBADialog()
{
    if (isLive())
        DestroyWindow();
}

bool COMBADialog::OnInitDialog()
{
    // The layout's own initialisation is deliberately skipped.
    const bool result = platform::DialogBase::OnInitDialog();
    setWindowIcon(QApplication::windowIcon());
    return result;
}

void COMBADialog::OnDestroy()
{
    CDynamicDialog::OnDestroy();
    SavePlacement();
}

void COMBADialog::SavePlacement()
{
    // A dialog without a template id has no key of its own; writing the empty name would overwrite the
    // placement that the property sheets share.
    platform::Profile* p = profile();
    if (m_placementKey.empty() || !p)
        return;
    p->writeBinary(kWindowPositionSection, m_placementKey, encodePlacement(placementOf(this)));
}

COMBAPropertyPage::COMBAPropertyPage(unsigned templateId, const QString& caption, QWidget* parent)
    : platform::PropertyPage(caption, parent)
    , m_templateId(templateId)
{
}

PlacementPropertySheet::PlacementPropertySheet(QWidget* parent)
    : platform::PropertySheet(QString(), parent)
{
}

PlacementPropertySheet::~PlacementPropertySheet()
{
    if (isLive())
        DestroyWindow();
}

void PlacementPropertySheet::Construct(const QString& caption)
{
    setWindowTitle(platform::captionText(caption));
}

platform::Profile* PlacementPropertySheet::profile() const
{
    return m_profile ? m_profile : platform::applicationProfile();
}

bool PlacementPropertySheet::OnInitDialog()
{
    const bool result = platform::PropertySheet::OnInitDialog();
    RestorePlacement();
    return result;
}

void PlacementPropertySheet::OnDestroy()
{
    platform::PropertySheet::OnDestroy();
    SavePlacement();
}

void PlacementPropertySheet::RestorePlacement()
{
    const platform::Profile* p = profile();
    if (!p)
        return;
    const std::optional<platform::ProfileBytes> bytes = p->getBinary(kWindowPositionSection, m_placementKey);
    // A value that is not a whole placement record is ignored.
    const std::optional<WindowPlacement> stored = bytes ? decodePlacement(*bytes) : std::nullopt;
    if (!stored)
        return;
    // The size the sheet is created with, before it is first shown.
    if (!testAttribute(Qt::WA_Resized))
        adjustSize();
    const WindowPlacement current = placementOf(this);
    applyPlacement(this, restoreSheetPlacement(*stored, current.right - current.left, current.bottom - current.top));
}

void PlacementPropertySheet::SavePlacement()
{
    if (platform::Profile* p = profile())
        p->writeBinary(kWindowPositionSection, m_placementKey, encodePlacement(placementOf(this)));
}
