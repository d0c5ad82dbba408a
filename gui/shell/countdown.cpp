#include "countdown.h"

#include <atomic>

namespace {
std::atomic<int> g_defaultInterval{1000};
}

QString countdownText(unsigned seconds)
{
    return QStringLiteral("Closing in %1 %2").arg(seconds).arg(seconds == 1 ? QStringLiteral("second") : QStringLiteral("seconds"));
}

Countdown::Countdown(QObject* parent)
    : QObject(parent)
    , m_interval(g_defaultInterval.load())
{
    connect(&m_timer, &QTimer::timeout, this, &Countdown::tick);
}

void Countdown::setDefaultInterval(int milliseconds)
{
    g_defaultInterval = milliseconds;
}

int Countdown::defaultInterval()
{
    return g_defaultInterval.load();
}

bool Countdown::start(unsigned seconds)
{
    m_seconds = seconds;
    if (seconds == 0)
        return false;
    m_timer.start(m_interval);
    if (!m_timer.isActive())
        return false;
    showText();
    return true;
}

void Countdown::showText()
{
    if (m_button)
        m_button->setText(countdownText(m_seconds));
}

void Countdown::stop()
{
    m_timer.stop();
}

void Countdown::tick()
{
    if (m_seconds == 0)
        return;
    --m_seconds;
    showText();
    emit ticked(m_seconds);
    if (m_seconds == 0) {
        m_timer.stop();
        emit expired();
    }
}
