#include "classlist.h"

#include "common/savefile.h"
#include "common/text.h"
#include "history/csv.h"
#include "history/history.h"
#include "settings/store.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMap>

#include <algorithm>

namespace {

double mean(const QList<History::Record> &records, qsizetype from, qsizetype to)
{
    double sum = 0;
    for (qsizetype i = from; i < to; ++i)
        sum += records[i].grade;
    return sum / static_cast<double>(to - from);
}

} // namespace

namespace ClassList {

QString path()
{
    return History::folder() + QStringLiteral("/classe.csv");
}

QList<ClassPupil> load(QString *error)
{
    QFile file(path());
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("La liste de la classe (%1) ne peut pas être lue.").arg(path());
        return {};
    }
    QList<ClassPupil> pupils;
    const QList<QStringList> rows = Csv::parse(file.readAll());
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const QStringList &row = rows[i];
        if (row.size() >= 3 && !row[0].isEmpty())
            pupils.append({row[0], row[1], row[2]});
    }
    return pupils;
}

QString save(const QList<ClassPupil> &pupils)
{
    QList<QStringList> rows = {{QStringLiteral("Élève"), QStringLiteral("Prénom"), QStringLiteral("Nom")}};
    for (const ClassPupil &pupil : pupils)
        rows.append({pupil.eleve, pupil.prenom, pupil.nom});
    History::ownFolder();
    const QString error = saveWholeFile(path(), Csv::document(rows, Csv::Reader::Program));
    QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return error;
}

namespace {

// A header as it is compared: letters and digits only, lower case, without accents.
QString folded(const QString &header)
{
    QString out;
    for (const QChar c : header.normalized(QString::NormalizationForm_D)) {
        if (c.isLetterOrNumber())
            out += c.toLower();
    }
    return out;
}

int columnOf(const QStringList &row, const QStringList &names)
{
    for (int i = 0; i < row.size(); ++i) {
        if (names.contains(folded(row[i])))
            return i;
    }
    return -1;
}

} // namespace

Columns guessColumns(const QStringList &firstRow)
{
    const int first = columnOf(firstRow, {"prenom", "prenoms", "prenomdeleleve", "prenomeleve",
                                          "prenomdelenfant", "prenomusuel", "premierprenom"});
    const int family = columnOf(firstRow, {"nom", "noms", "nomdefamille", "nomdusage", "nomdenaissance",
                                           "nomdeleleve", "nomeleve", "nomdelenfant", "nomfamille"});
    Columns columns;
    columns.header = first >= 0 || family >= 0;
    if (first >= 0)
        columns.firstName = first;
    if (family >= 0)
        columns.familyName = family;
    // One column found: the other is the first of the two usual places it does not take.
    if (columns.firstName == columns.familyName) {
        if (first >= 0)
            columns.familyName = first == 0 ? 1 : 0;
        else
            columns.firstName = family == 1 ? 0 : 1;
    }
    return columns;
}

SchoolList readSchoolList(const QString &filePath)
{
    SchoolList list;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 4 * 1024 * 1024) {
        list.error =
            QStringLiteral("Le fichier « %1 » ne peut pas être lu.").arg(QFileInfo(filePath).fileName());
        return list;
    }
    list.rows = Csv::parse(file.readAll());
    for (const QStringList &row : std::as_const(list.rows))
        list.columns = std::max(list.columns, static_cast<int>(row.size()));
    if (list.columns < 2)
        list.error = QStringLiteral("Le fichier ne contient pas de tableau : il faut au moins deux colonnes "
                                    "(prénom et nom), séparées par « ; » ou « , ».");
    return list;
}

QList<ClassPupil> import(const QList<QStringList> &rows, int firstName, int familyName, bool header,
                         const QList<ClassPupil> &existing)
{
    QList<ClassPupil> found;
    QStringList names;
    for (const ClassPupil &pupil : existing)
        names.append(pupil.eleve);
    for (qsizetype i = header ? 1 : 0; i < rows.size(); ++i) {
        const QStringList &row = rows[i];
        const QString prenom = trimBlanks(row.value(firstName));
        const QString nom = trimBlanks(row.value(familyName));
        const QString eleve = prenom + u' ' + nom;
        if (prenom.isEmpty() || nom.isEmpty() || names.contains(eleve) || eleve.contains(u'/') ||
            eleve.contains(u'\\'))
            continue;
        names.append(eleve);
        found.append({eleve, prenom, nom});
    }
    return found;
}

Summary summarise(const QString &eleve, const QList<History::Record> &records)
{
    Summary summary;
    summary.eleve = eleve;
    const qsizetype n = records.size();
    summary.series = static_cast<int>(n);
    summary.dictations = static_cast<int>(
        std::count_if(records.cbegin(), records.cend(), [](const History::Record &r) { return r.dictee; }));
    if (n == 0)
        return summary;
    summary.lastGrade = records.last().grade;
    const qsizetype from = std::max<qsizetype>(0, n - 5);
    summary.meanOfLastFive = mean(records, from, n);
    if (n >= TrendSeries) {
        const double recent = *summary.meanOfLastFive;
        const double before = mean(records, n - 10, n - 5);
        summary.trend = recent - before >= 1   ? QStringLiteral("en progrès")
                        : before - recent >= 1 ? QStringLiteral("en baisse")
                                               : QStringLiteral("stable");
    }
    return summary;
}

QString trendRule()
{
    return QStringLiteral("À partir de %1 séries : « en progrès » ou « en baisse » quand la moyenne des 5 "
                          "dernières séries s'écarte d'un point ou plus de celle des 5 d'avant, sinon "
                          "« stable ». Avant, rien n'est dit.")
        .arg(TrendSeries);
}

QStringList tableHeader()
{
    return {QStringLiteral("Élève"),         QStringLiteral("Séries"),
            QStringLiteral("Dernière note"), QStringLiteral("Moyenne des 5 dernières"),
            QStringLiteral("Tendance"),      QStringLiteral("Dictées"),
            QStringLiteral("Leçon"),         QStringLiteral("Permis")};
}

QStringList tableFields(const Summary &summary)
{
    return {summary.eleve,
            QString::number(summary.series),
            summary.lastGrade ? QString::number(*summary.lastGrade) : QString(),
            summary.meanOfLastFive ? Csv::number(*summary.meanOfLastFive, 1) : QString(),
            summary.trend,
            QString::number(summary.dictations),
            summary.lesson,
            summary.permis};
}

QList<ClassPupil> byFirstName(QList<ClassPupil> pupils)
{
    QCollator collator(QLocale(QLocale::French));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(pupils.begin(), pupils.end(), [&](const ClassPupil &a, const ClassPupil &b) {
        const int first = collator.compare(a.prenom, b.prenom);
        return first != 0 ? first < 0 : collator.compare(a.nom, b.nom) < 0;
    });
    return pupils;
}

QStringList discLetters(const QList<ClassPupil> &pupils)
{
    // É and E look alike to a child: the letter without its accent decides.
    const auto initial = [](const QString &prenom) {
        return prenom.left(1).normalized(QString::NormalizationForm_D).left(1).toUpper();
    };
    QMap<QString, int> sharing;
    for (const ClassPupil &pupil : pupils)
        ++sharing[initial(pupil.prenom)];
    QStringList letters;
    for (const ClassPupil &pupil : pupils) {
        const QString first = pupil.prenom.left(1).toUpper();
        letters.append(sharing.value(initial(pupil.prenom)) > 1 ? first + pupil.prenom.mid(1, 1).toLower()
                                                                : first);
    }
    return letters;
}

} // namespace ClassList

bool moveToLesson(const QString &pupil, const QString &lesson, QString *error)
{
    if (!Store::write(Store::Frappin, pupil,
                      {{Store::Lecon, lesson}, {Store::Reussies, QStringLiteral("0")}})) {
        if (error)
            *error = Store::writeError();
        return false;
    }
    // A move the school's server cannot take is written here all the same, and the teacher is told to make it
    // again: the server's older answer will win once it answers.
    if (const QString reason = History::moveLessonOnServer(pupil, lesson); !reason.isEmpty() && error)
        *error = reason;
    return true;
}
