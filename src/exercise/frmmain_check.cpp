// The typed-text check, run on every change of the typing box, the program's own changes included, and the
// keys that reach the window. The rules are Series::check and guideAfterChange; this handler shows what they
// found, the guide in one place (applyGuide).

#include "exercise/frmmain.h"

#include "common/intervaltimer.h"
#include "exercise/clientarea.h"
#include "sound/sound.h"

#include <QKeyEvent>

void frmMain::MonTexte_Change()
{
    TypingBox *box = m_screen->MonTexte;
    const std::optional<TypedCheck> check = m_series.check(box->text(), m_word);
    if (!check)
        return;

    // Select the first wrong character so that the next keystroke replaces it.
    if (check->wrongFrom) {
        box->setSelection(static_cast<int>(*check->wrongFrom),
                          static_cast<int>(m_word.size() - *check->wrongFrom));
        if (m_soundOn)
            Sound::play(Sound::Effect::Mistake);
    }
    guideTypedText();
    if (m_dictation.dictating())
        showWordToType(check->completed);

    if (check->completed) {
        m_screen->showBravo(true);
        if (m_soundOn)
            Sound::say(QStringLiteral("Bravo !"));
        Timer(0)->setInterval(PauseMilliseconds);
        Timer(0)->setEnabled(true);
        updateStars();
        updateRepeatButton();
    }
}

void frmMain::guideTypedText()
{
    const TypingBox *box = m_screen->MonTexte;
    const qsizetype caret = box->hasSelectedText() ? box->selectionStart() : box->cursorPosition();
    applyGuide(guideAfterChange(box->text(), m_word, caret, m_dictation.guides(m_series.FautesMot),
                                m_series.NiveauGuide));
}

// The one place where the guide's view reaches the screen.
void frmMain::applyGuide(const GuideView &view)
{
    m_guide = view;
    m_screen->showLocks(m_locks, m_guide.padDigit);
    m_screen->showGuide(m_guide.step);
    if (m_guide.step.timeOut) {
        Timer(1)->setInterval(GuideTimeOutMilliseconds);
        Timer(1)->setEnabled(true);
    }
}

// The keys that reach the typing box or the button. The focus: with it, the typing box covers every pixel of
// its own (its focus ring hides its rounded corners), so that a typed letter repaints the box alone, not the
// window's background and lines behind it.
bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    TypingBox *box = m_screen->MonTexte;
    if (watched == box && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        box->setAttribute(Qt::WA_OpaquePaintEvent, event->type() == QEvent::FocusIn);
    // At a key's release, off the way from a key press to the letter on the screen: a lock toggles at its
    // key's press, and its light and hint show when the key comes up, before another key goes down.
    if (event->type() == QEvent::KeyRelease) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        readLocks(key);
        // The input method keeps the dead key's press to itself and lets its release through: the first step
        // of the letter is taken, and the guide shows the second.
        const bool deadKey = key->key() == Qt::Key_Dead_Circumflex || key->key() == Qt::Key_Dead_Diaeresis;
        if (watched == box && deadKey && !box->isReadOnly() && m_guide.afterDeadKey)
            applyGuide({*m_guide.afterDeadKey, m_guide.afterDeadKey, false});
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
        m_screen->showLocks(m_locks, m_guide.padDigit);
    }
}
