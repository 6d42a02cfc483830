#pragma once

// A timer with an interval and an enabled flag, as the main window's timers are driven: it ticks every
// interval while it is enabled and its interval is not 0. Setting the interval while it runs starts the
// count again, so the next tick comes one full interval later. Stopping is interval 0, then disabled.

#include <QObject>
#include <QTimer>

class IntervalTimer : public QObject {
    Q_OBJECT
public:
    explicit IntervalTimer(QObject *parent = nullptr);

    int interval() const { return m_interval; }
    bool isEnabled() const { return m_enabled; }
    void setInterval(int milliseconds);
    void setEnabled(bool enabled);
    // Whether ticks are due: enabled with an interval that is not 0.
    bool isTicking() const { return m_timer.isActive(); }
    // interval 0, then disabled
    void stop();

Q_SIGNALS:
    void tick();

private:
    void restart();

    QTimer m_timer;
    int m_interval = 0;
    bool m_enabled = true;
};
