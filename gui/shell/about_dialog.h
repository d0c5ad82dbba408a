#pragma once
// The About box, which is also the start-up splash. As a splash it has the caption "Welcome to OMBAgen!",
// counts down on its OK button and closes itself; OK or the end of the countdown notify the main window
// once (10 ms later), Esc and the close box never do. Link texts show their target in the status line
// while the pointer is over them and open it when clicked.

#include "gui/shell/countdown.h"
#include "gui/shell/omba_dialog.h"

#include <QPointer>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;

class AboutDialog : public COMBADialog {
    Q_OBJECT

public:
    static constexpr unsigned kTemplateId = 100;
    static constexpr int kStatusId = 1163;
    static constexpr int kVersionId = 1148;

    struct Link {
        int controlId;
        QLabel* label;
        std::string target;
        unsigned colour; // 0x00BBGGRR; white marks the logos, which are not underlined
    };

    // seconds 0 gives the plain About box.
    explicit AboutDialog(unsigned seconds = 0, QWidget* parent = nullptr);

    // Who is told when the splash ends by OK or by its countdown: notify runs 10 ms later, and not at all
    // when context is gone by then.
    void setNotify(QObject* context, std::function<void()> notify);

    // The text shown for a shell failure code (the program installs its own; the default names the code).
    static void setErrorTextProvider(std::function<std::string(int)> provider);

    Countdown& countdown() { return m_countdown; }
    QPushButton* okButton() const { return m_ok; }
    const std::vector<Link>& links() const { return m_links; }
    QString statusText() const;
    // Opens a link's target as a click would.
    void openLink(int controlId);

    static QString versionText();
    static QString buildTypeText();
    static QString buildNumberText();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLinks();
    const Link* linkOf(const QObject* object) const;
    void showTarget(const Link& link);

    unsigned m_seconds;
    QPushButton* m_ok = nullptr;
    QLabel* m_status = nullptr;
    std::vector<Link> m_links;
    Countdown m_countdown;
    QPointer<QObject> m_notifyContext;
    std::function<void()> m_notify;
};

// Runs the splash on the main thread as a modeless window and tells the main window once when it ends by
// OK or by its countdown.
class SplashController : public QObject {
    Q_OBJECT

public:
    explicit SplashController(QObject* parent = nullptr);
    ~SplashController() override;

    // Shows the splash with a countdown (the main window starts it with 5 seconds) and lets it paint.
    void start(unsigned seconds, QWidget* owner = nullptr);
    AboutDialog* dialog() const { return m_dialog.data(); }

signals:
    void splashClosed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Puts the splash in the middle of the window it belongs to.
    void centre();

    QPointer<AboutDialog> m_dialog;
    QPointer<QWidget> m_owner;
    QPointer<QWidget> m_splashWindow; // the splash as a window: safe to look at while it is destroyed
    bool m_signalled = false;
};
