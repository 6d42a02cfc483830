#pragma once

// Drives the exercise window as a pupil would, for the benchmarks: a series started with "Commencer", each
// word typed key by key, the pause after each word cut short. Also the clock and the weight of the process.

#include "common/intervaltimer.h"
#include "exercise/frmmain.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace Drive {

inline double nowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The processor time of this process, in milliseconds: on a busy machine, what a step cost in itself.
inline double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The resident memory of this process (VmRSS), in KiB.
inline long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

// Lets the window paint and drops what was deleted later, as the event loop does between two key presses.
inline void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

[[noreturn]] inline void fail(const char *what)
{
    std::fprintf(stderr, "bench: %s\n", what);
    std::exit(2);
}

// Types the shown word key by key (ASCII as key presses, anything else as an input-method commit, as the
// French keyboard gives it), adding the time of each typed change to changeMs, then ends the pause; returns
// the time of that last step, which ends the series after its last word, and sets its processor time.
inline double typeWord(frmMain &window, std::vector<double> *changeMs = nullptr, double *stepCpuMs = nullptr)
{
    auto *word = window.findChild<QLineEdit *>(QStringLiteral("MotATaper"));
    auto *typing = window.findChild<QLineEdit *>(QStringLiteral("MonTexte"));
    const QString text = word->text();
    if (text.isEmpty())
        fail("no word to type");
    for (const QChar c : text) {
        const double start = nowMs();
        if (c.unicode() < 128) {
            QTest::keyClick(typing, c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(typing, &commit);
        }
        if (changeMs)
            changeMs->push_back(nowMs() - start);
        settle();
    }
    if (!window.Timer(0)->isTicking())
        fail("the typed word was not taken");
    const double start = nowMs();
    const double startCpu = cpuMs();
    window.Timer_Timer(0);
    const double pauseEnd = nowMs() - start;
    if (stepCpuMs)
        *stepCpuMs = cpuMs() - startCpu;
    settle();
    return pauseEnd;
}

// One whole series; returns the time taken by the end of the series (the step after its last word), and
// sets its processor time and the time its start took ("Commencer" to the first word shown).
inline double series(frmMain &window, std::vector<double> *changeMs = nullptr, double *endCpuMs = nullptr,
                     double *startMs = nullptr, double *startCpuMs = nullptr)
{
    // A child clicks "Commencer" some time after the grade: what the window does when idle is done by then.
    settle();
    const double start = nowMs();
    const double startCpu = cpuMs();
    window.BoutonDepart_Click();
    if (startCpuMs)
        *startCpuMs = cpuMs() - startCpu;
    if (startMs)
        *startMs = nowMs() - start;
    settle();
    double last = 0;
    while (window.series().MotsRestants > 0)
        last = typeWord(window, changeMs, endCpuMs);
    return last;
}

} // namespace Drive
