#pragma once

// Dictation: with the sound on, the teacher may have each word said and not shown, so that a series trains
// spelling as well as typing. The word box then shows one blank per letter; the hand guide, which would spell
// the word key by key, waits for the word's first mistake; three mistakes, or the word done, show the word.
// A machine where speech cannot be heard shows the words as an ordinary series does, and says so once.
//
// These are the rules; the main window (frmmain_dictation.cpp) applies them to its controls.

#include <QString>
#include <QStringView>

// The word as the pupil sees it while it is said: each letter or digit a blank, spaces, apostrophes, hyphens
// and punctuation as they are, so that the length and the shape of a phrase show.
QString dictationBlanks(QStringView word);

class Dictation {
public:
    // Mistakes on one word after which it is shown all the same: a child is never stuck before blanks.
    static constexpr qint64 RevealAfter = 3;

    // A series starts, dictated when the teacher chose it with the sound on, unless speech is already known
    // not to be heard here (the series then shows its words, and says why, from its start).
    void start(bool chosenWithSound);
    // The sound thread found whether speech is heard. Returns true when the running series must stop hiding
    // its words now: the window then shows the word and tells why, once.
    bool speechFound(bool heard);
    // The settings dialog abandons the series.
    void stop() { m_dictating = false; }

    // The words are said and not shown in this series.
    bool dictating() const { return m_dictating; }
    // The series was meant as a dictation and shows its words because speech is not heard.
    bool fellBack() const { return m_chosen && !m_dictating && m_heard == Heard::No; }
    // The word is hidden with mistakes on it so far, until it is done.
    bool hides(qint64 mistakes, bool done) const { return m_dictating && !done && mistakes < RevealAfter; }
    // The hand guide shows the next key: in a dictated word, only from its first mistake on.
    bool guides(qint64 mistakes) const { return !m_dictating || mistakes > 0; }

private:
    enum class Heard { Unknown, Yes, No };
    bool m_chosen = false;
    bool m_dictating = false;
    Heard m_heard = Heard::Unknown;
};
