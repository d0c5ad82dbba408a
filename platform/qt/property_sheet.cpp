#include "property_sheet.h"

#include "control_id.h"
#include "locale_text.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

namespace platform {

PropertyPage::PropertyPage(const QString& caption, QWidget* parent)
    : QWidget(parent)
{
    setWindowTitle(captionText(caption));
}

void PropertyPage::ensureCreated()
{
    if (m_created)
        return;
    m_created = true;
    OnInitDialog();
}

bool PropertyPage::OnInitDialog()
{
    return true;
}

bool PropertyPage::OnSetActive()
{
    return true;
}

bool PropertyPage::OnKillActive()
{
    return true;
}

void PropertyPage::OnOK()
{
}

void PropertyPage::OnCancel()
{
}

PropertySheet::PropertySheet(const QString& caption, QWidget* parent)
    : DialogBase(parent)
{
    setWindowTitle(captionText(caption));
    m_tabs = new QTabBar(this);
    m_tabs->setDrawBase(true);
    m_stack = new QStackedWidget(this);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    setControlId(m_buttons->button(QDialogButtonBox::Ok), IdOk);
    setControlId(m_buttons->button(QDialogButtonBox::Cancel), IdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->addWidget(m_tabs);
    layout->addWidget(m_stack, 1);
    layout->addSpacing(8);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &PropertySheet::reject);
    connect(m_tabs, &QTabBar::currentChanged, this, &PropertySheet::onTabChanged);
}

PropertyPage* PropertySheet::GetPage(int index) const
{
    if (index < 0 || index >= GetPageCount())
        return nullptr;
    return m_pages[static_cast<std::size_t>(index)];
}

int PropertySheet::GetPageIndex(const PropertyPage* page) const
{
    const auto it = std::find(m_pages.begin(), m_pages.end(), page);
    return it == m_pages.end() ? -1 : static_cast<int>(it - m_pages.begin());
}

void PropertySheet::AddPage(PropertyPage* page)
{
    if (!page || GetPageIndex(page) >= 0)
        return;
    page->m_sheet = this;
    m_pages.push_back(page);
    m_stack->addWidget(page);
    m_switching = true;
    m_tabs->addTab(page->caption());
    m_switching = false;
    if (isLive() && !m_active)
        activate(page);
}

void PropertySheet::RemovePage(int index)
{
    RemovePage(GetPage(index));
}

void PropertySheet::RemovePage(PropertyPage* page)
{
    const int index = GetPageIndex(page);
    if (index < 0)
        return;
    m_switching = true;
    m_pages.erase(m_pages.begin() + index);
    m_tabs->removeTab(index);
    m_stack->removeWidget(page);
    m_switching = false;
    if (m_active == page) {
        m_active = nullptr;
        if (isLive() && !m_pages.empty())
            activate(m_pages[static_cast<std::size_t>(std::min(index, GetPageCount() - 1))]);
    }
    page->deleteLater();
    page->hide();
    page->setParent(nullptr);
}

bool PropertySheet::SetActivePage(int index)
{
    PropertyPage* page = GetPage(index);
    if (!page)
        return false;
    if (page == m_active)
        return true;
    if (m_active && !m_active->OnKillActive())
        return false;
    activate(page);
    return true;
}

void PropertySheet::activate(PropertyPage* page)
{
    // The page is created while it is still hidden, so what OnInitDialog builds shows with it.
    page->ensureCreated();
    m_active = page;
    const int index = GetPageIndex(page);
    m_switching = true;
    m_tabs->setCurrentIndex(index);
    m_switching = false;
    m_stack->setCurrentWidget(page);
    page->OnSetActive();
}

void PropertySheet::onTabChanged(int index)
{
    if (m_switching)
        return;
    if (!SetActivePage(index)) {
        m_switching = true;
        m_tabs->setCurrentIndex(GetActiveIndex());
        m_switching = false;
    }
}

bool PropertySheet::OnInitDialog()
{
    DialogBase::OnInitDialog();
    if (!m_active && !m_pages.empty())
        activate(m_pages.front());
    return true;
}

void PropertySheet::OnOK()
{
    if (m_active && !m_active->OnKillActive())
        return;
    for (PropertyPage* page : std::vector<PropertyPage*>(m_pages)) {
        if (page->isCreated())
            page->OnOK();
    }
    if (m_okCheck && !m_okCheck())
        return;
    EndDialog(IdOk);
}

void PropertySheet::OnCancel()
{
    for (PropertyPage* page : std::vector<PropertyPage*>(m_pages)) {
        if (page->isCreated())
            page->OnCancel();
    }
    EndDialog(IdCancel);
}

} // namespace platform
