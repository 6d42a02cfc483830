// A big school: the settings store and the history as a school that has used the program for years leaves
// them. Two commands, run by bench/big_school.sh in the folders that XDG_CONFIG_HOME and XDG_DATA_HOME name:
//   big_school fill PUPILS SERIES [lessons|path|moving]  writes the settings file, with the teacher's
//   settings and a
//                                   section of results for each of PUPILS pupils, and a history of SERIES
//                                   series of them; with "lessons", each pupil at a lesson, with "path",
//                                   the same and the path on, and with "moving", the path on and the pupil
//                                   passing a lesson every second series
//   big_school series ROUNDS DATA   runs ROUNDS series of the pupil of "Dernière" with the data files of the
//                                   folder DATA, and prints the median time of the end of a series (the step
//                                   after the last word: the grade shown, the results stored, the history
//                                   written), its median processor time, and the median time of the start
//                                   of a series ("Commencer" to the first word), in wall and processor time,
//                                   and that of the first series of each lesson, in milliseconds

#include "common/messagebox.h"
#include "common/platform.h"
#include "drive.h"
#include "history/history.h"
#include "history_fill.h"
#include "settings/store.h"
#include "words/lessons.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStandardPaths>

#include <clocale>
#include <cstdio>

namespace {

// Names spread over the alphabet, some before "Démarrage", as a class list is.
QString pupilName(int index)
{
    static const char *const families[] = {"Bernard",  "Dubois", "Martin", "André",  "Petit", "Robert",
                                           "Richard",  "Durand", "Leroy",  "Moreau", "Simon", "Laurent",
                                           "Lefèvre",  "Michel", "Garcia", "David",  "Roux",  "Vincent",
                                           "Fournier", "Morel",  "Girard", "Zola",   "Caron", "Éluard"};
    constexpr int Families = sizeof families / sizeof *families;
    return QStringLiteral("%1 Élève%2").arg(QString::fromUtf8(families[index % Families])).arg(index);
}

// The pupil whose series are run: one in the middle of the file.
QString currentPupil(int pupils)
{
    return pupilName(pupils / 2);
}

int fill(int pupils, int series, const QString &path)
{
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/frappin");
    QDir().mkpath(folder);
    QMap<QString, QString> sections;
    for (int i = 0; i < pupils; ++i)
        sections.insert(
            pupilName(i),
            QStringLiteral("Note=14\nDurée=0,0016\nNombre de caractères=31\n"
                           "Niveau=2\n") +
                (!path.isEmpty() ? QStringLiteral("Leçon=03 rangée du bas.mot\nRéussies=0\n") : QString()));
    // With the pupils at a lesson, the pupil whose series are run is at the last one and holds the permis:
    // the bench types without a mistake, so every series passes, and there alone a pupil stays at their
    // lesson, each series doing all the path's work (the place read, the lesson checked, the strip, the
    // news). The list without the path is that lesson too: both draw the same words, and only the path's own
    // work differs.
    const QStringList lessons = Lessons::inFolder();
    const QString last = lessons.isEmpty() ? QString() : lessons.last();
    if (!path.isEmpty() && last.isEmpty())
        Drive::fail("no lesson in the program's folder");
    // Moving on, the pupil starts at the first lesson with a good series done: each second series passes one.
    if (path == u"moving")
        sections[currentPupil(pupils)].replace(QStringLiteral("Leçon=03 rangée du bas.mot\nRéussies=0"),
                                               QStringLiteral("Leçon=%1\nRéussies=1").arg(lessons.value(0)));
    else if (!path.isEmpty())
        sections[currentPupil(pupils)].replace(QStringLiteral("Leçon=03 rangée du bas.mot"),
                                               QStringLiteral("Leçon=%1\nPermis=2026-06-01").arg(last));
    sections.insert(
        Store::Demarrage,
        QStringLiteral("Dernière=%1\nPrenom=Léa\nNom=Martin\nExercice=0\nNiveau=1\nSon=0\nFichier=%2\n%3")
            .arg(currentPupil(pupils), path.isEmpty() ? QStringLiteral("frappin.mot") : last,
                 path == u"path" || path == u"moving" ? QStringLiteral("Parcours=1\n") : QString()));
    QString text;
    for (auto it = sections.cbegin(); it != sections.cend(); ++it)
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + u'[' + it.key() +
                QStringLiteral("]\n") + it.value();
    QFile file(folder + QStringLiteral("/Frappin.ini"));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        Drive::fail("cannot write the settings file");
    file.close();
    if (series == 0)
        return 0;

    // One series through the program makes the database and its schema; the others are added in one go.
    History::Record record;
    record.pupil = currentPupil(pupils);
    record.start = QDateTime(QDate(2020, 9, 1), QTime(9, 0), Qt::UTC);
    record.seconds = 95;
    record.grade = 14;
    record.characters = 31;
    record.mistakes = 2;
    record.wordList = Store::DefaultWordList;
    record.mistakesByCharacter = {{QStringLiteral("é"), 1}, {QStringLiteral("s"), 1}};
    // A thousand pupils at most share the series, each known by an identifier of its own.
    Drive::fillHistory(record, series, std::min(pupils, 1000), 2020, 600);
    return 0;
}

int runSeries(int argc, char *argv[], int rounds, const QString &data)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // figures for the scripts, whatever the language
    setProgramFolderForTests(data);
    setMessageHandlerForTests([](const MessageRequest &request) {
        Drive::fail(qPrintable(request.text));
        return MsgAnswer::Ok;
    });
    frmMain window;
    window.show();
    Drive::settle();
    std::vector<double> ends;
    std::vector<double> cpu;
    std::vector<double> starts;
    std::vector<double> startsCpu;
    // The starts of a lesson's first series (the first after the program's start too), told by the lesson the
    // window shows when "Commencer" is clicked.
    std::vector<double> firstsCpu;
    const auto *place = window.findChild<QLabel *>(QStringLiteral("Lecon"));
    QString lastPlace;
    for (int i = 0; i < rounds; ++i) {
        double endCpu = 0;
        double start = 0;
        double startCpu = 0;
        const QString placeNow = place ? place->text() : QString();
        ends.push_back(Drive::series(window, nullptr, &endCpu, &start, &startCpu));
        cpu.push_back(endCpu);
        starts.push_back(start);
        startsCpu.push_back(startCpu);
        if (i == 0 || placeNow != lastPlace)
            firstsCpu.push_back(startCpu);
        lastPlace = placeNow;
    }
    std::printf("%.3f %.3f %.3f %.3f %.3f\n", Drive::median(ends), Drive::median(cpu), Drive::median(starts),
                Drive::median(startsCpu), Drive::median(firstsCpu));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (command == u"fill" && (argc == 4 || argc == 5)) {
        QCoreApplication app(argc, argv);
        return fill(std::atoi(argv[2]), std::atoi(argv[3]),
                    argc == 5 ? QString::fromLocal8Bit(argv[4]) : QString());
    }
    if (command == u"series" && argc == 4)
        return runSeries(argc, argv, std::max(std::atoi(argv[2]), 1), QString::fromLocal8Bit(argv[3]));
    std::fprintf(stderr, "usage: big_school fill PUPILS SERIES [lessons|path|moving] | big_school series "
                         "ROUNDS DATA_FOLDER\n");
    return 2;
}
