#pragma once
// A resizable dialog: the dialog life cycle combined with the layout mixin. Its OnInitDialog starts the
// layout (the class's table registered, the grip created, the stored position restored) after the dialog's
// own initialisation; its OnDestroy stores the position and ends the layout before the window goes.
// Derived classes override OnInitDialog and call CDynamicDialog::OnInitDialog first.

#include "gui/layout/dynamic_wnd_ex.h"
#include "platform/qt/dialog_base.h"

class CDynamicDialog : public platform::DialogBase, public CDynamicWndEx {
    Q_OBJECT

public:
    // A template id other than 0 names the stored position "ID=0x%08lx".
    CDynamicDialog(unsigned templateId, QWidget* parent, int freedom = FreedomBoth,
                   unsigned flags = FlagSizeGrip | FlagRedrawStyle);
    ~CDynamicDialog() override;

    unsigned templateId() const { return m_templateId; }

    // "ID=0x%08lx" of an id.
    static std::string placementName(unsigned templateId);

protected:
    bool OnInitDialog() override;
    void OnDestroy() override;

private:
    unsigned m_templateId;
};
