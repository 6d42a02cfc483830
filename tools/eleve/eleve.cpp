#include "eleve.h"

#include "common/platform.h"
#include "common/text.h"
#include "history/csv.h"
#include "history/history.h"
#include "keyboard/guide.h"
#include "keyboard/keytable.h"
#include "settings/identity.h"
#include "settings/pupilphoto.h"
#include "settings/store.h"
#include "words/lessonplace.h"
#include "words/lessons.h"
#include "words/wordlist.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMap>

#include <cmath>

namespace {

const QString Usage = QStringLiteral(
    "Utilisation :\n"
    "  frappin-eleve definir --prenom PRÉNOM --nom NOM [--eleve NOM_DES_RÉSULTATS] [--photos DOSSIER]\n"
    "      Choisit l'élève qui va travailler. Ses résultats sont rangés sous NOM_DES_RÉSULTATS\n"
    "      (par défaut « PRÉNOM NOM »). Sa photo est DOSSIER/NOM-PRÉNOM.bmp.\n"
    "  frappin-eleve resultats [ÉLÈVE]\n"
    "      Affiche les résultats de la dernière série d'un élève (par défaut l'élève en cours),\n"
    "      sa leçon du parcours et son permis clavier.\n"
    "  frappin-eleve historique [ÉLÈVE] [--csv]\n"
    "      Affiche toutes les séries d'un élève (par défaut l'élève en cours), ou, avec --csv,\n"
    "      les séries au format CSV : frappin-eleve historique Léa --csv > lea.csv\n"
    "  frappin-eleve csv\n"
    "      Affiche les derniers résultats de tous les élèves au format CSV, à ouvrir dans un\n"
    "      tableur : frappin-eleve csv > resultats.csv\n"
    "      (UTF-8, séparateur « ; », virgule décimale, comme LibreOffice Calc et Excel l'attendent.)\n"
    "  frappin-eleve verifier LISTE.mot [--clavier clavier.dat]\n"
    "      Dit quels mots de la liste le clavier français ne peut pas taper (œ, majuscules accentuées...)\n"
    "      et propose leur orthographe usuelle. Code de sortie : 0 si tous les mots peuvent être tapés.\n"
    "  frappin-eleve serveur SERVICE\n"
    "      Crée ou met à jour les tables de Frappin sur le serveur PostgreSQL de l'école, avec le\n"
    "      rôle du service SERVICE (pg_service.conf) : le propriétaire de la base.\n"
    "  frappin-eleve --help\n"
    "      Affiche cette aide.\n");

// The keys of a pupil's results, in the order they are printed.
const QStringList ResultKeys = {Store::Note, Store::Duree, Store::NombreCaracteres, Store::Niveau};

QString result(const QString &pupil, const QString &key)
{
    return Store::read(Store::Frappin, pupil, key, QString());
}

bool hasResults(const QString &pupil)
{
    return std::any_of(ResultKeys.begin(), ResultKeys.end(),
                       [&pupil](const QString &key) { return !result(pupil, key).isEmpty(); });
}

// The stored duration as minutes and seconds. It is a number of days written in the form for numbers of
// whoever ran the series, with a decimal point or a decimal comma.
QString durationText(const QString &days)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(QString(days).replace(u',', u'.'), &ok);
    if (!ok || !std::isfinite(value) || value < 0 || value > 3650)
        return QString();
    const auto seconds = static_cast<long long>(std::llround(value * Store::SecondsPerDay));
    return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// Takes the value of an option "--name VALUE" or "--name=VALUE" from args.
struct Options {
    QMap<QString, QString> values;
    QStringList positional;
    QString error;
};

Options parseOptions(const QStringList &args, const QStringList &known)
{
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (!arg.startsWith(QStringLiteral("--"))) {
            options.positional.append(arg);
            continue;
        }
        QString name = arg.mid(2);
        QString value;
        if (const qsizetype equals = name.indexOf(u'='); equals >= 0) {
            value = name.mid(equals + 1);
            name = name.left(equals);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            options.error = QStringLiteral("il manque une valeur après « %1 ».").arg(arg);
            return options;
        }
        if (!known.contains(name)) {
            options.error = QStringLiteral("option inconnue : « --%1 ».").arg(name);
            return options;
        }
        options.values.insert(name, value);
    }
    return options;
}

// Frappin's data files are beside this program, or in the installed program folder when this command is on
// the PATH: the folder that holds the keyboard file.
QString dataFolder()
{
    const QDir here(programFolder());
    const QString installed = here.filePath(QStringLiteral("../lib/frappin"));
    return QFileInfo(here.filePath(KeyboardFileName)).isFile() ||
                   !QFileInfo(QDir(installed).filePath(KeyboardFileName)).isFile()
               ? here.path()
               : QDir::cleanPath(installed);
}

QString keyboardFile()
{
    return QDir(dataFolder()).filePath(KeyboardFileName);
}

// The pupil's place on the path, as the teacher's window shows it.
QStringList lessonFields(const QString &pupil, const QStringList &lessons)
{
    const LessonPlace::Place place = LessonPlace::of(pupil, lessons);
    return {LessonPlace::lessonText(place), LessonPlace::permisText(place)};
}

int fail(QTextStream &err, const QString &message)
{
    err << "frappin-eleve : " << message << "\n"
        << "Tapez « frappin-eleve --help » pour l'aide.\n";
    err.flush();
    return 2;
}

int definir(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const Options options = parseOptions(args, {"prenom", "nom", "eleve", "photos"});
    if (!options.error.isEmpty())
        return fail(err, options.error);
    if (!options.positional.isEmpty())
        return fail(err, QStringLiteral("argument en trop : « %1 ».").arg(options.positional.first()));
    const Identity::Pupil pupil = Identity::normalised(
        {options.values.value("prenom"), options.values.value("nom"), options.values.value("eleve")});
    if (pupil.prenom.isEmpty() || pupil.nom.isEmpty())
        return fail(err, QStringLiteral("le prénom (--prenom) et le nom (--nom) sont obligatoires."));
    if (options.values.contains("eleve") && trimBlanks(options.values.value("eleve")).isEmpty())
        return fail(err, QStringLiteral("le nom des résultats (--eleve) ne peut pas être vide."));
    if (const QString problem = Identity::problem(pupil); !problem.isEmpty())
        return fail(err, problem);
    const QString &prenom = pupil.prenom;
    const QString &nom = pupil.nom;
    const QString &eleve = pupil.eleve;

    QString photos;
    if (options.values.contains("photos")) {
        const QFileInfo folder(options.values.value("photos"));
        if (!folder.isDir())
            return fail(err, QStringLiteral("le dossier des photos « %1 » n'existe pas.")
                                 .arg(options.values.value("photos")));
        // Stored without a trailing slash, as a folder chosen in a dialog would be.
        photos = QDir::cleanPath(folder.absoluteFilePath());
    }

    if (!Identity::write(pupil, photos)) {
        err << "frappin-eleve : les réglages de Frappin n'ont pas pu être écrits : " << Store::writeError()
            << "\n";
        return 1;
    }

    out << "Élève en cours : " << prenom << " " << nom << " (résultats sous « " << eleve << " »)\n";
    if (!photos.isEmpty())
        out << "Photo attendue : " << pupilPhotoPath(photos, nom, prenom) << "\n";
    return 0;
}

int resultats(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.size() > 1)
        return fail(err, QStringLiteral("un seul nom d'élève à la fois."));
    const QString eleve =
        trimBlanks(args.isEmpty() ? Store::read(Store::Frappin, Store::Demarrage, Store::Derniere, QString())
                                  : args.first());
    if (eleve.isEmpty())
        return fail(err,
                    QStringLiteral("aucun élève en cours ; donnez son nom : frappin-eleve resultats NOM."));
    if (eleve.normalized(QString::NormalizationForm_C) == Store::Demarrage)
        return fail(err, QStringLiteral("« %1 » est la section des réglages de l'enseignant, pas un élève.")
                             .arg(Store::Demarrage));
    if (!hasResults(eleve)) {
        err << "frappin-eleve : pas encore de résultats pour « " << eleve << " ».\n";
        return 1;
    }
    out << "Élève : " << eleve << "\n"
        << "Note : " << result(eleve, Store::Note) << "/20\n"
        << "Durée : " << durationText(result(eleve, Store::Duree)) << " (" << result(eleve, Store::Duree)
        << " jour)\n"
        << "Nombre de caractères : " << result(eleve, Store::NombreCaracteres) << "\n"
        << "Niveau : " << result(eleve, Store::Niveau) << "\n";
    const LessonPlace::Place place = LessonPlace::of(eleve, Lessons::inFolder(dataFolder()));
    if (place.number > 0)
        out << "Leçon : " << place.number << " sur " << place.count << ", " << Lessons::title(place.lesson)
            << "\n";
    if (!place.permis.isEmpty())
        out << "Permis clavier : " << LessonPlace::permisText(place) << "\n";
    return 0;
}

int csv(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (!args.isEmpty())
        return fail(err, QStringLiteral("argument en trop : « %1 ».").arg(args.first()));
    // The same columns as ever, the path's last; the days written with a decimal comma whatever form they
    // were stored in.
    out << QChar(0xFEFF)
        << Csv::line({"Élève", "Note", "Durée (jours)", "Durée", "Nombre de caractères", "Niveau", "Leçon",
                      "Permis"});
    const QStringList lessons = Lessons::inFolder(dataFolder());
    for (const QString &pupil : Store::sections(Store::Frappin)) {
        if (pupil == Store::Demarrage || !hasResults(pupil))
            continue;
        out << Csv::line(QStringList{pupil, result(pupil, Store::Note),
                                     result(pupil, Store::Duree).replace(u'.', u','),
                                     durationText(result(pupil, Store::Duree)),
                                     result(pupil, Store::NombreCaracteres), result(pupil, Store::Niveau)} +
                         lessonFields(pupil, lessons));
    }
    return 0;
}

int historique(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const Options options =
        parseOptions(QStringList(args).replaceInStrings(QStringLiteral("--csv"), QString()), {});
    const bool asCsv = args.contains(QStringLiteral("--csv"));
    QStringList names = options.positional;
    names.removeAll(QString());
    if (!options.error.isEmpty())
        return fail(err, options.error);
    if (names.size() > 1)
        return fail(err, QStringLiteral("un seul nom d'élève à la fois."));
    // Composed, as Frappin stores the names it reads: "Le" + U+0301 + "a" from a script is Léa.
    const QString eleve = trimBlanks(names.isEmpty() ? Store::derniere() : names.first())
                              .normalized(QString::NormalizationForm_C);
    if (eleve.isEmpty())
        return fail(err,
                    QStringLiteral("aucun élève en cours ; donnez son nom : frappin-eleve historique NOM."));
    // Series this computer could not send are told first: the teacher is the one who can act on them.
    if (const QString waiting = History::waiting(); !waiting.isEmpty())
        err << "frappin-eleve : " << waiting << "\n";
    QString error;
    const QList<History::Record> records = History::records(eleve, &error);
    if (!error.isEmpty()) {
        err << "frappin-eleve : " << QString(error).replace(u'\r', u'\n') << "\n";
        return 1;
    }
    if (asCsv) {
        out << QChar(0xFEFF) << Csv::line(History::csvHeader());
        for (const History::Record &record : records)
            out << Csv::line(History::csvFields(record));
        return 0;
    }
    if (records.isEmpty()) {
        err << "frappin-eleve : pas encore de série dans l'historique de « " << eleve << " ».\n";
        return 1;
    }
    out << "Élève : " << eleve << " (" << records.size() << (records.size() == 1 ? " série" : " séries")
        << ")\n";
    for (const History::Record &record : records) {
        const QStringList fields = History::csvFields(record);
        out << fields[0] << "  note " << record.grade << "/20  "
            << durationText(QString::number(record.seconds / Store::SecondsPerDay, 'g', 15)) << "  "
            << record.characters << " caractères  " << record.mistakes
            << (record.mistakes == 1 ? " faute  " : " fautes  ") << fields[6] << " car./min  niveau "
            << record.level << "  " << record.wordList
            << (record.dictee ? QStringLiteral("  dictée") : QString())
            << (record.computer.isEmpty() ? QString() : QStringLiteral("  poste ") + record.computer) << "\n";
    }
    return 0;
}

int verifier(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const Options options = parseOptions(args, {"clavier"});
    if (!options.error.isEmpty())
        return fail(err, options.error);
    if (options.positional.size() != 1)
        return fail(err, QStringLiteral("donnez une liste de mots : frappin-eleve verifier LISTE.mot."));
    const QString keys = options.values.value("clavier", keyboardFile());
    TextTable table;
    qint16 last = -1;
    if (!loadKeyTable(keys, table, last))
        return fail(err, QStringLiteral("impossible de lire le fichier du clavier « %1 ».").arg(keys));
    TextTable phrases;
    qint16 count = 0;
    if (!loadWordList(options.positional.first(), phrases, count))
        return fail(err,
                    QStringLiteral("impossible de lire la liste « %1 ».").arg(options.positional.first()));
    int bad = 0;
    for (int i = 0; i < count; ++i) {
        const QString word = wordOfEntry(phrases[static_cast<std::size_t>(i)]);
        const QString characters = untypableCharacters(word, table, last);
        if (characters.isEmpty())
            continue;
        ++bad;
        const QString usual = usualSpelling(word);
        out << "« " << word << " » : " << characters
            << (untypableCharacters(usual, table, last).isEmpty() ? QStringLiteral(" → ") + usual : QString())
            << "\n";
    }
    if (bad == 0)
        out << "Tous les mots peuvent être tapés au clavier français.\n";
    else
        out << bad << (bad == 1 ? " mot ne peut pas être tapé" : " mots ne peuvent pas être tapés")
            << " : ils ne seront jamais proposés aux élèves.\n";
    return bad == 0 ? 0 : 1;
}

int serveur(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.size() != 1)
        return fail(err,
                    QStringLiteral("donnez le nom d'un service PostgreSQL : frappin-eleve serveur SERVICE."));
    QStringList unseen;
    if (const QString error = History::prepareServer(args.first(), &unseen); !error.isEmpty()) {
        err << "frappin-eleve : " << error << "\n";
        return 1;
    }
    out << "Les tables de Frappin sont prêtes sur le serveur du service « " << args.first() << " ».\n";
    // Only a superuser may hide a role's statements from the other sessions of that role.
    for (const QString &role : unseen)
        out << "Les postes des élèves (" << role << ") voient encore l'activité des autres postes ; sur le "
            << "serveur : sudo -u postgres psql -c 'ALTER ROLE \"" << role
            << "\" SET track_activities = off'\n";
    return 0;
}

} // namespace

int runEleve(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (arguments.isEmpty())
        return fail(
            err,
            QStringLiteral(
                "dites ce qu'il faut faire : definir, resultats, historique, csv, verifier ou serveur."));
    const QString command = arguments.first();
    const QStringList rest = arguments.mid(1);
    // Help is asked for anywhere: "frappin-eleve definir --help" too.
    const auto isHelp = [](const QString &arg) {
        return arg == QStringLiteral("--help") || arg == QStringLiteral("-h") ||
               arg == QStringLiteral("aide");
    };
    if (isHelp(command) || rest.contains(QStringLiteral("--help"))) {
        out << Usage;
        return 0;
    }
    if (command == QStringLiteral("definir"))
        return definir(rest, out, err);
    if (command == QStringLiteral("resultats"))
        return resultats(rest, out, err);
    if (command == QStringLiteral("historique"))
        return historique(rest, out, err);
    if (command == QStringLiteral("csv"))
        return csv(rest, out, err);
    if (command == QStringLiteral("verifier"))
        return verifier(rest, out, err);
    if (command == QStringLiteral("serveur"))
        return serveur(rest, out, err);
    return fail(err, QStringLiteral("commande inconnue : « %1 ».").arg(command));
}
