#include "plugin/views/service_trace_parent.h"

#include <QWidget>

namespace views {
namespace {

ServiceTraceParent::WindowFactory& windowFactory()
{
    static ServiceTraceParent::WindowFactory* factory = new ServiceTraceParent::WindowFactory;
    return *factory;
}

} // namespace

void ServiceTraceParent::setWindowFactory(WindowFactory factory) { windowFactory() = std::move(factory); }

ServiceTraceParent::ServiceTraceParent(std::string title, uint32_t classNumber, QWidget* button)
    : m_button(button), m_title(std::move(title)), m_classNumber(classNumber)
{
}

ServiceTraceParent::~ServiceTraceParent() { CloseServiceTrace(); }

bool ServiceTraceParent::OpenServiceTrace()
{
    CloseServiceTrace();
    if (!windowFactory())
        return false;
    m_window = windowFactory()(*this);
    if (m_window == nullptr)
        return false;
    AddMiscServiceClasses();
    if (m_button != nullptr)
        m_button->setEnabled(false);
    if (m_window != nullptr)
        m_window->showAndRaise();
    return m_window != nullptr;
}

void ServiceTraceParent::RefreshServiceTrace()
{
    if (m_window != nullptr)
        m_window->postRefresh();
}

void ServiceTraceParent::DisableServiceTrace()
{
    if (m_window != nullptr)
        m_window->postDisable();
}

void ServiceTraceParent::CloseServiceTrace()
{
    ServiceTraceWindow* window = m_window;
    m_window = nullptr;
    if (window != nullptr) {
        window->setTraceParent(nullptr);
        window->destroyWindow();
    }
}

void ServiceTraceParent::AddServiceClass(uint32_t classNumber)
{
    if (m_window != nullptr)
        m_window->addServiceClass(classNumber);
}

void ServiceTraceParent::OnServiceTraceClosed()
{
    if (m_window == nullptr)
        return;
    m_window->setTraceParent(nullptr);
    m_window = nullptr;
    if (m_button != nullptr)
        m_button->setEnabled(true);
}

} // namespace views
