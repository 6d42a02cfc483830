// The teacher's window with a class and a school year of its history. Two commands, run by
// bench/companion.sh in the folders that XDG_CONFIG_HOME and XDG_DATA_HOME name:
//   companion fill PUPILS SERIES   writes a class list of PUPILS pupils, each on a lesson of the path, and a
//                                  history of SERIES series spread over them
//   companion open                 opens the window on its first tab and prints, in milliseconds, as wall
//   time
//                                  then processor time: the start (from main() to the window painted), the
//                                  opening of "Résultats" (the class table drawn, its first pupil shown), and
//                                  the median of showing each other pupil there (the panel painted)

#include "classe/classwindow.h"
#include "common/messagebox.h"
#include "drive.h"
#include "history/history.h"
#include "history_fill.h"
#include "settings/store.h"

#include <QTabWidget>
#include <QTableWidget>

#include <clocale>
#include <cstdio>

namespace {

QString pupilName(int index)
{
    return QStringLiteral("Élève %1").arg(index);
}

int fill(int pupils, int series)
{
    QList<ClassPupil> list;
    for (int i = 0; i < pupils; ++i) {
        list.append({pupilName(i), QStringLiteral("Élève"), QString::number(i)});
        if (!Store::write(Store::Frappin, pupilName(i),
                          {{Store::Note, QStringLiteral("14")},
                           {Store::Lecon, QStringLiteral("0%1.mot").arg(1 + i % 9)}}))
            Drive::fail("cannot write the settings");
    }
    if (!Store::write(Store::Frappin, Store::Demarrage, Store::Parcours, QStringLiteral("1")) ||
        !ClassList::save(list).isEmpty())
        Drive::fail("cannot write the class list");
    if (series == 0)
        return 0;
    // A school year: a series every 50 minutes from September on, spread over the class.
    Drive::fillHistory({pupilName(0),
                        QDateTime(QDate(2025, 9, 1), QTime(9, 0), Qt::UTC),
                        95,
                        14,
                        31,
                        2,
                        1,
                        Store::DefaultWordList,
                        {{QStringLiteral("é"), 1}}},
                       series, pupils, 2025, 3000);
    return 0;
}

int open(int argc, char *argv[], double startMs, double startCpu)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // figures for the scripts, whatever the language
    setMessageHandlerForTests([](const MessageRequest &request) {
        Drive::fail(qPrintable(request.text));
        return MsgAnswer::Ok;
    });
    ClassWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        Drive::fail("the window was not shown");
    Drive::settle();
    const double opened = Drive::nowMs() - startMs;
    const double openedCpu = Drive::cpuMs() - startCpu;

    double start = Drive::nowMs();
    double cpu = Drive::cpuMs();
    window.findChild<QTabWidget *>()->setCurrentIndex(2);
    window.repaint();
    Drive::settle();
    const double results = Drive::nowMs() - start;
    const double resultsCpu = Drive::cpuMs() - cpu;

    auto *table = window.findChild<QTableWidget *>(QStringLiteral("tableauClasse"));
    std::vector<double> shown;
    std::vector<double> shownCpu;
    for (int row = 1; row < table->rowCount(); ++row) {
        start = Drive::nowMs();
        cpu = Drive::cpuMs();
        table->setCurrentCell(row, 0);
        window.repaint();
        Drive::settle();
        shown.push_back(Drive::nowMs() - start);
        shownCpu.push_back(Drive::cpuMs() - cpu);
    }
    std::printf("%.1f %.1f %.1f %.1f %.1f %.1f\n", opened, openedCpu, results, resultsCpu,
                Drive::median(shown), Drive::median(shownCpu));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const double startMs = Drive::nowMs();
    const double startCpu = Drive::cpuMs();
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (command == u"fill" && argc == 4) {
        QCoreApplication app(argc, argv);
        return fill(std::atoi(argv[2]), std::atoi(argv[3]));
    }
    if (command == u"open" && argc == 2)
        return open(argc, argv, startMs, startCpu);
    std::fprintf(stderr, "usage: companion fill PUPILS SERIES | companion open\n");
    return 2;
}
