#include "words/wordlist.h"

#include "common/messagebox.h"
#include "common/platform.h"
#include "common/textfile.h"
#include "settings/store.h"

bool loadWordList(const QString &path, TextTable &phrases, qint16 &count)
{
    const std::optional<QString> content = readTextFile(path, DataFileReadLimit);
    if (!content)
        return false;
    parseWordList(*content, phrases, count);
    return true;
}

void parseWordList(QStringView content, TextTable &phrases, qint16 &count)
{
    int loaded = 0;
    for (LineReader lines(content); !lines.atEnd() && loaded < MaxListEntries;) {
        const QStringView line = lines.next();
        // A comment line takes the next free entry only until the next line overwrites it.
        phrases[loaded] = line.toString();
        if (!line.startsWith(u'#'))
            ++loaded;
    }
    count = static_cast<qint16>(loaded);
}

QString wordListPath()
{
    return programFile(Store::read(Store::Frappin, Store::Demarrage, Store::Fichier, Store::DefaultWordList));
}

int ChargePhrases()
{
    ProgramValues &v = values();
    const QString path = wordListPath();
    if (!loadWordList(path, v.Phrases, v.NbPhrases)) {
        showMessage(QStringLiteral("Impossible de charger le fichier des mots.\r"
                                   "Chemin '%1'\r"
                                   "Veuillez vous procurer une version complète ou réinstaller le programme.")
                        .arg(path),
                    QStringLiteral("Fichier des mots"));
    }
    return 0;
}

QString wordOfEntry(const QString &entry)
{
    const qsizetype comma = entry.indexOf(u',');
    return comma < 0 ? entry : entry.left(comma);
}
