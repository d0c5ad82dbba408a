#pragma once
// The GUI's message service: each box is a modal QMessageBox over the window it belongs to (the modal
// dialog on top, else the active window, else the window of the previous box). That window is the box's
// transient parent, never its owner object, so the box outlives a window that is deleted while it is
// open. Calls from other threads are carried to the GUI thread and wait for the answer there.

#include "platform/core/message_service.h"

#include <QMessageBox>
#include <QPointer>

#include <vector>

class QFontMetrics;

namespace platform {

class QtMessageService : public MessageService {
public:
    int show(const std::string& text, const std::string& caption, unsigned style) override;

    // The buttons, icon and default button a style asks for (exposed for tests).
    static QMessageBox::StandardButtons standardButtons(unsigned style);
    static QMessageBox::Icon icon(unsigned style);
    static QMessageBox::StandardButton defaultButton(unsigned style);
    static QMessageBox::StandardButton toStandardButton(int answer);
    static int toAnswer(QMessageBox::StandardButton button);
    // A box's text as shown: the one conversion of the engine's bytes.
    static QString messageText(const std::string& text);
    // The text with invisible places to break in every word wider than room pixels.
    static QString breakableText(const QString& text, const QFontMetrics& metrics, int room);

    // The window the next box is parented to (exposed for tests).
    QWidget* ownerWindow();

    // Closes the boxes this service is showing (GUI thread); each answers as if cancelled.
    void closeOpenBoxes();

private:
    int showHere(const std::string& text, const std::string& caption, unsigned style);

    QPointer<QWidget> m_lastOwner;
    std::vector<QPointer<QMessageBox>> m_open; // innermost last
};

// Installs the Qt service for the lifetime of the object, restoring the previous one after.
class ScopedQtMessageService {
public:
    ScopedQtMessageService();
    ~ScopedQtMessageService();
    ScopedQtMessageService(const ScopedQtMessageService&) = delete;
    ScopedQtMessageService& operator=(const ScopedQtMessageService&) = delete;
    QtMessageService& service() { return m_service; }

private:
    QtMessageService m_service;
    MessageService* m_previous;
};

} // namespace platform
