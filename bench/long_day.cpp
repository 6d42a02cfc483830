// A long day: many series in a row in one run of the program (200 by default), driven as a pupil would type
// them (bench/drive.h), with a named pupil, so that every series stores its results and goes to the history.
//   long_day [SERIES]
// Prints the resident memory after series 10 and at the end, and the median time of a typed change over the
// first ten series and over the last ten; exits with 1 when the memory grew by 1 MiB or more, or when a typed
// change got slower (by more than a tenth, the noise of a busy machine). Offscreen unless QT_QPA_PLATFORM
// says otherwise (bench/run.sh runs it under Xvfb).

#include "drive.h"
#include "settings/store.h"
#include "support/sandbox.h"

#include <clocale>
#include <cstdio>

int main(int argc, char *argv[])
{
    TestSupport::prepareProcess();
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // figures for the scripts, whatever the language
    const int count = argc > 1 ? std::max(std::atoi(argv[1]), 20) : 200;
    constexpr int Early = 10;

    Sandbox sandbox;
    sandbox.copyShippedData();
    Store::write(Store::Frappin, Store::Demarrage, Store::Derniere, QStringLiteral("Léa Martin"));
    Store::write(Store::Frappin, Store::Demarrage, Store::Prenom, QStringLiteral("Léa"));

    frmMain window;
    window.show();
    Drive::settle();

    struct Mark {
        int series;
        long kb;
        double changeUs;
        double endMs;
    };
    std::vector<Mark> marks;
    std::vector<double> changes;
    std::vector<double> ends;
    for (int i = 1; i <= count; ++i) {
        ends.push_back(Drive::series(window, &changes));
        const bool early = i == Early;
        const bool last = i == count;
        // The typed changes and ends of series of the first ten series, and of the last ten.
        if (i % Early == 0 || last) {
            if (early || last || i % 50 == 0)
                marks.push_back({i, Drive::residentKb(), Drive::median(changes) * 1000, Drive::median(ends)});
            changes.clear();
            ends.clear();
        }
    }
    if (!sandbox.messages.isEmpty())
        Drive::fail(qPrintable(sandbox.messages.first().text));

    std::printf("A long day: %d series of %d words in one run (%s)\n\n", count, Store::seriesLength(),
                qPrintable(QGuiApplication::platformName()));
    std::printf("| After series | Resident memory (MiB) | Typed change, median of the last 10 series (µs) "
                "| End of a series (ms) |\n");
    std::printf("|---:|---:|---:|---:|\n");
    for (const Mark &mark : marks)
        std::printf("| %d | %.2f | %.1f | %.2f |\n", mark.series, mark.kb / 1024.0, mark.changeUs,
                    mark.endMs);

    const Mark &first = marks.front();
    const Mark &end = marks.back();
    const double growthMiB = (end.kb - first.kb) / 1024.0;
    const double changeRatio = end.changeUs / first.changeUs;
    const bool memoryMet = growthMiB < 1.0;
    const bool changeMet = changeRatio <= 1.10;
    std::printf("\nMemory from series %d to %d: %+.2f MiB; a typed change: %.2f × its time at the start.\n",
                first.series, end.series, growthMiB, changeRatio);
    std::printf("  %s memory grows by less than 1 MiB\n", memoryMet ? "met   " : "MISSED");
    std::printf("  %s a typed change does not grow (at most 1.10 ×)\n", changeMet ? "met   " : "MISSED");
    return memoryMet && changeMet ? 0 : 1;
}
