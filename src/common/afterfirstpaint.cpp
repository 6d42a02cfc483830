#include "common/afterfirstpaint.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Watches the widget until it is shown, then its native window until that window is first exposed: the
// exposure is handled first (the widget paints and is flushed to the screen), then the action runs.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget *window, std::function<void()> action)
        : QObject(window), m_window(window), m_action(std::move(action))
    {
        m_window->installEventFilter(this);
        watchNativeWindow();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Show) {
            watchNativeWindow();
        } else if (m_native && watched == m_native && event->type() == QEvent::Expose &&
                   m_native->isExposed()) {
            m_native->removeEventFilter(this);
            m_window->removeEventFilter(this);
            watched->event(event);
            run();
            return true;
        }
        return false;
    }

private:
    void watchNativeWindow()
    {
        QWindow *native = m_window->windowHandle();
        if (!native || native == m_native)
            return;
        if (native->isExposed()) {
            m_window->removeEventFilter(this);
            run();
            return;
        }
        m_native = native;
        m_native->installEventFilter(this);
    }

    void run()
    {
        m_action();
        deleteLater();
    }

    QWidget *m_window;
    QWindow *m_native = nullptr;
    std::function<void()> m_action;
};

} // namespace

void runAfterFirstPaint(QWidget *window, std::function<void()> action)
{
    new AfterFirstPaint(window, std::move(action));
}

void releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}
