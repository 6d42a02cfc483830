#include "exercise/dictation.h"

QString dictationBlanks(QStringView word)
{
    QString blanks;
    blanks.reserve(word.size());
    for (const QChar c : word) {
        // An accent that no composed letter holds belongs to the blank of its letter.
        if (!c.isMark())
            blanks.append(c.isLetterOrNumber() ? QChar(u'_') : c);
    }
    return blanks;
}

void Dictation::start(bool chosenWithSound)
{
    m_chosen = chosenWithSound;
    m_dictating = chosenWithSound && m_heard != Heard::No;
}

bool Dictation::speechFound(bool heard)
{
    m_heard = heard ? Heard::Yes : Heard::No;
    if (heard || !m_dictating)
        return false;
    m_dictating = false;
    return true;
}
