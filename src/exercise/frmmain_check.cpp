// The typed-text check, run on every change of the typing box, the program's own changes included. The rules
// are Series::check and nextCharacter; this handler shows what they found.

#include "exercise/frmmain.h"

#include "common/intervaltimer.h"
#include "common/picturebox.h"
#include "sound/sound.h"

#include <QLineEdit>

void frmMain::MonTexte_Change()
{
    const QString typed = MonTexte->text();
    const QString word = MotATaper->text();
    const std::optional<TypedCheck> check = m_series.check(typed, word);
    if (!check)
        return;

    // Select the first wrong character so that the next keystroke replaces it.
    if (check->wrongFrom) {
        MonTexte->setSelection(static_cast<int>(*check->wrongFrom),
                               static_cast<int>(word.size() - *check->wrongFrom));
        if (m_soundOn)
            Sound::play(Sound::Effect::Mistake);
    }

    const qsizetype caret =
        MonTexte->hasSelectedText() ? MonTexte->selectionStart() : MonTexte->cursorPosition();
    showGuide(nextCharacter(typed, word, caret));

    if (check->completed) {
        Bravo->show();
        if (m_soundOn)
            Sound::say(QStringLiteral("Bravo !"));
        hideGuide();
        Timer(0)->setInterval(PauseMilliseconds);
        Timer(0)->setEnabled(true);
    }
}
