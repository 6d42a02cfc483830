#include "common/intervaltimer.h"

IntervalTimer::IntervalTimer(QObject *parent) : QObject(parent)
{
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &IntervalTimer::tick);
}

void IntervalTimer::setInterval(int milliseconds)
{
    m_interval = std::max(milliseconds, 0);
    restart();
}

void IntervalTimer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    restart();
}

void IntervalTimer::stop()
{
    setInterval(0);
    setEnabled(false);
}

void IntervalTimer::restart()
{
    if (m_enabled && m_interval > 0)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}
