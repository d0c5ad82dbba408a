#pragma once
// The countdown shared by the status box and the splash: a button text "Closing in %lu %s" and a ticking
// timer whose interval tests can shorten.

#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTimer>

// "Closing in 5 seconds", "Closing in 1 second".
QString countdownText(unsigned seconds);

// Counts whole seconds down on a timer; tick() can also be driven directly.
class Countdown : public QObject {
    Q_OBJECT

public:
    explicit Countdown(QObject* parent = nullptr);

    // The tick interval (1000 ms unless changed); takes effect at the next start.
    void setInterval(int milliseconds) { m_interval = milliseconds; }
    static void setDefaultInterval(int milliseconds);
    static int defaultInterval();

    // The button that shows the countdown text from the start and after every tick.
    void showOn(QPushButton* button) { m_button = button; }

    // Starts counting from seconds (nothing runs for 0); false when no timer could run.
    bool start(unsigned seconds);
    void stop();
    bool isRunning() const { return m_timer.isActive(); }
    unsigned secondsLeft() const { return m_seconds; }

    // One tick: one second less, ticked(seconds left); at 0 the timer stops and expired() follows.
    void tick();

signals:
    void ticked(unsigned secondsLeft);
    void expired();

private:
    void showText();

    QTimer m_timer;
    QPointer<QPushButton> m_button;
    unsigned m_seconds = 0;
    int m_interval;
};
