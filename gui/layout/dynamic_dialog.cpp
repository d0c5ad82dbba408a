#include "dynamic_dialog.h"

#include <cstdio>

CDynamicDialog::CDynamicDialog(unsigned templateId, QWidget* parent, int freedom, unsigned flags)
    : platform::DialogBase(parent)
    , CDynamicWndEx(freedom, flags)
    , m_templateId(templateId)
{
    if (templateId != 0)
        setAutoPositionName(placementName(templateId));
}

CDynamicDialog::~CDynamicDialog()
{
    if (isLive())
        DestroyWindow();
    TeardownLayout();
}

std::string CDynamicDialog::placementName(unsigned templateId)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "ID=0x%08x", templateId);
    return buffer;
}

bool CDynamicDialog::OnInitDialog()
{
    const bool result = platform::DialogBase::OnInitDialog();
    InitializeLayout(this);
    return result;
}

void CDynamicDialog::OnDestroy()
{
    TeardownLayout();
    platform::DialogBase::OnDestroy();
}
