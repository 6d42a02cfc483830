// The typed-text check, run on every change of the typing box, the program's own changes included. The rules
// are Series::check and nextCharacter; this handler shows what they found.

#include "exercise/frmmain.h"

#include "common/intervaltimer.h"
#include "common/picturebox.h"
#include "sound/sound.h"

#include "keyboard/keyboardpicture.h"

#include <QKeyEvent>
#include <QLabel>
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
        updateStars();
    }
}

// Caps Lock: a letter that comes out as a capital without Maj held, or as a small letter with Maj held.
// The focus: with it, the typing box covers every pixel of its own (its focus ring hides its rounded
// corners), so that a typed letter repaints the box alone, not the window's background and lines behind it.
bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == MonTexte && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        MonTexte->setAttribute(Qt::WA_OpaquePaintEvent, event->type() == QEvent::FocusIn);
    if (watched == MonTexte && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        const QString text = key->text();
        if (text.size() == 1 && text[0].isLetter() && text[0].isUpper() != text[0].isLower()) {
            const bool shift = key->modifiers().testFlag(Qt::ShiftModifier);
            setCapsLockHint(text[0].isUpper() != shift);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::setCapsLockHint(bool on)
{
    VerrMaj->setVisible(on);
    ImageClavier->setCapsLockLit(on);
}
