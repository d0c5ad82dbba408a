#pragma once
// The bases of the generator program's windows:
//   COMBADialog            modal dialogs; writes its placement ("Window Position", "ID=0x%08lx") when it is
//                          destroyed and never reads it back; the resizable layout is not switched on, so
//                          these dialogs may use Qt layouts;
//   COMBAPropertyPage      the pages of the property sheets;
//   PlacementPropertySheet property sheets; all of them share one stored placement (the empty name) and
//                          come back at its top-left corner, never minimised, at their own size.

#include "gui/layout/dynamic_dialog.h"
#include "platform/qt/property_sheet.h"

#include <string>

class COMBADialog : public CDynamicDialog {
    Q_OBJECT

public:
    COMBADialog(unsigned templateId, QWidget* parent);
    ~COMBADialog() override;

    // "ID=0x%08lx" of the template id; empty for id 0.
    const std::string& placementKey() const { return m_placementKey; }
    // Writes the window's placement; nothing for a dialog without a template id.
    void SavePlacement();

protected:
    // The plain initialisation: the window icon is the application's; no layout, no stored position.
    bool OnInitDialog() override;
    void OnDestroy() override;

private:
    std::string m_placementKey;
};

class COMBAPropertyPage : public platform::PropertyPage {
    Q_OBJECT

public:
    explicit COMBAPropertyPage(unsigned templateId = 0, const QString& caption = QString(), QWidget* parent = nullptr);
    unsigned templateId() const { return m_templateId; }

private:
    unsigned m_templateId;
};

class PlacementPropertySheet : public platform::PropertySheet {
    Q_OBJECT

public:
    explicit PlacementPropertySheet(QWidget* parent = nullptr);
    ~PlacementPropertySheet() override;

    // Gives the sheet its caption ("Application Properties", "CPU Properties", "<class> Properties").
    void Construct(const QString& caption);
    // The profile placements go to; null (the default) uses the application profile.
    void setProfile(platform::Profile* profile) { m_profile = profile; }

    void RestorePlacement();
    void SavePlacement();

protected:
    bool OnInitDialog() override;
    void OnDestroy() override;

private:
    platform::Profile* profile() const;

    std::string m_placementKey; // empty: shared by every sheet
    platform::Profile* m_profile = nullptr;
};

// The profile section of stored placements.
inline constexpr const char* kWindowPositionSection = "Window Position";
