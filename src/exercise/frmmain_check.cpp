// The typed-text check, run on every change of the typing box, the program's own changes included. The rules
// are Series::check and nextCharacter; this handler shows what they found.

#include "exercise/frmmain.h"

#include "common/intervaltimer.h"
#include "common/picturebox.h"
#include "exercise/clientarea.h"
#include "sound/sound.h"

#include "keyboard/keyboardpicture.h"
#include "keyboard/keycaps.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

void frmMain::MonTexte_Change()
{
    const QString typed = MonTexte->text();
    const QString word = m_word;
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
    if (m_dictation.dictating())
        showWordToType(check->completed);

    if (check->completed) {
        Bravo->show();
        if (m_soundOn)
            Sound::say(QStringLiteral("Bravo !"));
        hideGuide();
        Timer(0)->setInterval(PauseMilliseconds);
        Timer(0)->setEnabled(true);
        updateStars();
        updateRepeatButton();
    }
}

// The keys that reach the typing box or the button. The focus: with it, the typing box covers every pixel of
// its own (its focus ring hides its rounded corners), so that a typed letter repaints the box alone, not the
// window's background and lines behind it.
bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == MonTexte && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        MonTexte->setAttribute(Qt::WA_OpaquePaintEvent, event->type() == QEvent::FocusIn);
    // At a key's release, off the way from a key press to the letter on the screen: a lock toggles at its
    // key's press, and its light and hint show when the key comes up, before another key goes down.
    if (event->type() == QEvent::KeyRelease) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        readLocks(key);
        // The input method keeps the dead key's press to itself and lets its release through: the first step
        // of the letter is taken, and the guide shows the second.
        const bool deadKey = key->key() == Qt::Key_Dead_Circumflex || key->key() == Qt::Key_Dead_Diaeresis;
        if (watched == MonTexte && deadKey && !MonTexte->isReadOnly() && !m_keystroke.second.isEmpty())
            showKeystroke(afterDeadKey(m_keystroke));
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::readLocks(const QKeyEvent *key)
{
    std::optional<KeyboardLocks> locks = readKeyboardLocks();
    // A key made up by a program carries no modifiers of the keyboard.
    if (!locks && key && key->spontaneous())
        locks = locksFromModifiers(key->nativeModifiers());
    if (locks && *locks != m_locks) {
        m_locks = *locks;
        updateLockHints();
    }
}

void frmMain::updateLockHints()
{
    ImageClavier->setLocks(m_locks);
    QStringList hints;
    if (m_locks.capsLock)
        hints.append(QStringLiteral("La touche Verr. Maj est allumée."));
    const auto padDigit = std::any_of(m_keystroke.first.cbegin(), m_keystroke.first.cend(),
                                      [](int key) { return KeyCaps::numericPadDigit(key); });
    if (!m_locks.numLock && padDigit)
        hints.append(QStringLiteral("Allume la touche Verr Num."));
    if (!hints.isEmpty())
        VerrMaj->setText(hints.join(u' '));
    VerrMaj->setVisible(!hints.isEmpty());
}
