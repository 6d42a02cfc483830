#include "keyboard/keytable.h"

#include "common/messagebox.h"
#include "common/platform.h"
#include "common/textfile.h"
#include "keyboard/expandword.h"

bool loadKeyTable(const QString &path, TextTable &table, qint16 &last)
{
    const std::optional<QString> content = readTextFile(path, DataFileReadLimit);
    if (!content)
        return false;
    parseKeyTable(*content, table, last);
    return true;
}

void parseKeyTable(QStringView content, TextTable &table, qint16 &last)
{
    FieldTable champs;
    int count = 0;
    for (LineReader lines(content); !lines.atEnd() && count < MaxListEntries;) {
        const QStringView line = lines.next();
        if (line.startsWith(u'#'))
            continue;
        if (!ExpandWord(line, champs))
            break;
        table[count++] = champs[1];
    }
    last = static_cast<qint16>(count - 1);
}

int ChargeIndications()
{
    ProgramValues &v = values();
    const QString path = programFile(KeyboardFileName);
    if (!loadKeyTable(path, v.ToucheCaractere, v.DerniereTouche)) {
        showMessage(QStringLiteral("Impossible de charger la position du clavier.\r"
                                   "Chemin '%1'\r"
                                   "Veuillez vous procurer une version complète ou réinstaller le programme.")
                        .arg(path),
                    QStringLiteral("Fichier du clavier"));
    }
    return 0;
}

int findKey(const TextTable &table, qint16 last, const QString &c)
{
    for (int i = 0; i <= last && i < MaxListEntries; ++i) {
        if (table[i] == c)
            return i;
    }
    return -1;
}
