// Starts as the program does and prints, on its first paint, the monotonic clock in milliseconds; then quits.

#include "common/appstyle.h"
#include "exercise/frmmain.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

class FirstPaint : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("painted %.3f\n",
                        static_cast<double>(now.tv_sec) * 1000 + static_cast<double>(now.tv_nsec) / 1e6);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    useApplicationStyle();
    QApplication::setOrganizationName(QStringLiteral("frappin"));
    QApplication::setApplicationName(QStringLiteral("Frappin"));
    frmMain window;
    FirstPaint probe;
    window.installEventFilter(&probe);
    window.show();
    return QApplication::exec();
}
