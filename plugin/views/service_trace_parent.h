#pragma once
// The services-trace part that every top-level object list window and the window manager carry: at most
// one services-trace window per owner, refreshed and greyed with the owner and closed with it. The
// window itself is made by the factory its module installs; without one no window opens.

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace views {

class ServiceTraceParent;

// The services-trace window as its owner sees it.
class ServiceTraceWindow {
public:
    virtual ~ServiceTraceWindow() = default;
    virtual void postRefresh() = 0;           // command 32868, posted
    virtual void postDisable() = 0;           // command 32869, posted
    virtual void showAndRaise() = 0;
    virtual void addServiceClass(uint32_t classNumber) = 0;
    virtual void setTraceParent(ServiceTraceParent* owner) = 0;
    // Destroys the window and its object.
    virtual void destroyWindow() = 0;
};

class ServiceTraceParent {
public:
    ServiceTraceParent(std::string title, uint32_t classNumber, QWidget* button);
    virtual ~ServiceTraceParent();
    ServiceTraceParent(const ServiceTraceParent&) = delete;
    ServiceTraceParent& operator=(const ServiceTraceParent&) = delete;

    // Called right after a new window is made and before it is shown: nothing here; the window manager
    // adds its further classes.
    virtual void AddMiscServiceClasses() {}

    // Closes any window, makes a new one, greys the button and shows the window. True when a window is
    // open afterwards.
    bool OpenServiceTrace();
    void RefreshServiceTrace();
    void DisableServiceTrace();
    void CloseServiceTrace();
    void AddServiceClass(uint32_t classNumber);
    // The window closed itself: forget it and enable the button again.
    void OnServiceTraceClosed();

    ServiceTraceWindow* serviceTraceWindow() const { return m_window; }
    const std::string& serviceTraceTitle() const { return m_title; }
    uint32_t serviceTraceClass() const { return m_classNumber; }
    void setServiceTraceButton(QWidget* button) { m_button = button; }
    QWidget* serviceTraceButton() const { return m_button; }

    using WindowFactory = std::function<ServiceTraceWindow*(ServiceTraceParent& owner)>;
    static void setWindowFactory(WindowFactory factory);

private:
    ServiceTraceWindow* m_window = nullptr;
    QWidget* m_button;
    std::string m_title;
    uint32_t m_classNumber;
};

} // namespace views
