#pragma once

// The class of frappin-classe: its pupils, kept in a file of the companion's own
// ($XDG_DATA_HOME/frappin/classe.csv, readable by its owner only), never in Frappin's settings; the class
// list imported from a school's CSV file; and the class table drawn from the history.

#include "history/history.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct ClassPupil {
    QString eleve; // the name the results are stored under
    QString prenom;
    QString nom;
    bool operator==(const ClassPupil &) const = default;
};

namespace ClassList {

QString path();
// The pupils as saved, in the order of the file; error receives why the file could not be read.
QList<ClassPupil> load(QString *error = nullptr);
// Saves the whole list; returns the empty text or why it failed, in French.
QString save(const QList<ClassPupil> &pupils);

// A school's class list as read from its file, before the teacher picks its columns: the rows, the widest
// row's count of fields, or why it cannot be imported, in French (a file that cannot be read or is larger
// than any class list, or fewer than two columns).
struct SchoolList {
    QList<QStringList> rows;
    int columns = 0;
    QString error;
};
SchoolList readSchoolList(const QString &filePath);

// The pupils of a school's class list: firstName and familyName are column indexes; the first row is skipped
// when it is a header. Rows without a first name or a family name are left out, as are pupils already in
// existing (same results name).
QList<ClassPupil> import(const QList<QStringList> &rows, int firstName, int familyName, bool header,
                         const QList<ClassPupil> &existing = {});

// The columns of a school's class list, guessed from its first row: a header such as "Nom de famille",
// "NOM", "Prénom de l'élève" or "Prénom(s)", in either letter case, with or without accents or spaces.
// Without such a header, the family name is taken from the first column and the first name from the second.
struct Columns {
    int firstName = 1;
    int familyName = 0;
    bool header = false;
    bool operator==(const Columns &) const = default;
};
Columns guessColumns(const QStringList &firstRow);

// One line of the class table.
struct Summary {
    QString eleve;
    int series = 0;
    std::optional<int> lastGrade;
    std::optional<double> meanOfLastFive;
    QString trend;       // "en progrès", "stable", "en baisse", or empty with fewer than TrendSeries series
    int dictations = 0;  // the series whose words were said, not shown
    QString lesson = {}; // LessonPlace::lessonText, empty off the path
    QString permis = {}; // LessonPlace::permisText, empty before it is earned
};
// A trend is told from this many series on: before, a single bad day would read as a fall.
constexpr int TrendSeries = 10;
// records: the pupil's series, oldest first. The trend compares the mean of the last five series with the
// mean of the five before them: one point or more up or down counts.
Summary summarise(const QString &eleve, const QList<History::Record> &records);
// The rule of the trend, in French, for the teacher.
QString trendRule();
// The lesson and the permis come last, so that spreadsheets made from the earlier columns keep reading them.
QStringList tableHeader();
QStringList tableFields(const Summary &summary);

// The pupils in the order of the picker: by first name, as a French reader sorts them, then by family name.
QList<ClassPupil> byFirstName(QList<ClassPupil> pupils);
// The letters on the disc of a pupil without a photograph, one for each of pupils: the initial, or its first
// two letters when another pupil's first name starts with the same letter (Léa, Loïc: "Lé", "Lo").
QStringList discLetters(const QList<ClassPupil> &pupils);

} // namespace ClassList

// The teacher moves a pupil to another lesson (a file name of Lessons::inFolder): the lesson and a fresh
// count of series reached on it, in one write of the pupil's section, then on the school's server when the
// teacher reads the class there. Returns false with error set to why, in French; true with error set when
// the move is written here but the server could not take it.
bool moveToLesson(const QString &pupil, const QString &lesson, QString *error);
