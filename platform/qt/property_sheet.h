#pragma once
// Property sheets: a tabbed dialog with OK and Cancel (there is no Apply). Pages are created (OnInitDialog)
// when they are first shown; leaving a page asks it (OnKillActive) and it may refuse; OK asks the active
// page the same, then gives OnOK to every created page; Cancel gives OnCancel to every created page. Pages
// can be added and removed while the sheet is open.

#include "platform/qt/dialog_base.h"

#include <QWidget>

#include <functional>
#include <vector>

class QDialogButtonBox;
class QStackedWidget;
class QTabBar;

namespace platform {

class PropertySheet;

class PropertyPage : public QWidget {
    Q_OBJECT

public:
    explicit PropertyPage(const QString& caption = QString(), QWidget* parent = nullptr);

    // The tab text (the window title).
    QString caption() const { return windowTitle(); }
    // True once OnInitDialog ran.
    bool isCreated() const { return m_created; }
    PropertySheet* sheet() const { return m_sheet; }

    // Runs OnInitDialog now unless it ran already.
    void ensureCreated();

    virtual bool OnInitDialog();
    // Each time the page becomes the active one.
    virtual bool OnSetActive();
    // Leaving the page (another tab or OK): false keeps it active.
    virtual bool OnKillActive();
    virtual void OnOK();
    virtual void OnCancel();

private:
    friend class PropertySheet;
    PropertySheet* m_sheet = nullptr;
    bool m_created = false;
};

class PropertySheet : public DialogBase {
    Q_OBJECT

public:
    explicit PropertySheet(const QString& caption = QString(), QWidget* parent = nullptr);

    // Appends a page (the sheet takes ownership), also while the sheet is open.
    void AddPage(PropertyPage* page);
    // Removes and deletes a page; an active page hands over to a neighbour without asking it.
    void RemovePage(PropertyPage* page);
    void RemovePage(int index);

    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    PropertyPage* GetPage(int index) const;
    int GetPageIndex(const PropertyPage* page) const;
    PropertyPage* GetActivePage() const { return m_active; }
    int GetActiveIndex() const { return GetPageIndex(m_active); }
    // Makes a page active; false when the active page refused to be left or the index is wrong.
    bool SetActivePage(int index);

    // A last check of OK, after every page took its values: false keeps the sheet open.
    void setOkCheck(std::function<bool()> check) { m_okCheck = std::move(check); }

    QTabBar* tabBar() const { return m_tabs; }
    QDialogButtonBox* buttonBox() const { return m_buttons; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void onTabChanged(int index);
    void activate(PropertyPage* page);

    QTabBar* m_tabs = nullptr;
    QStackedWidget* m_stack = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    std::vector<PropertyPage*> m_pages;
    PropertyPage* m_active = nullptr;
    bool m_switching = false;
    std::function<bool()> m_okCheck;
};

} // namespace platform
