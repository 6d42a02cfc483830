// Dictation in the window: the rules are in exercise/dictation.h. The word to type is kept in m_word; the
// word box shows it or its blanks. Whether speech is heard is asked of the sound thread when the window opens
// and at each dictated series; the answer comes back later, and a series already under way then shows its
// word.

#include "exercise/frmmain.h"

#include "common/controlname.h"
#include "common/intervaltimer.h"
#include "common/picturebox.h"
#include "common/userscale.h"
#include "exercise/clientarea.h"
#include "keyboard/guide.h"
#include "settings/store.h"
#include "sound/sound.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Between two blanks, so that a child can count them: underscores side by side make one line.
constexpr qreal BlankSpacing = 4;

} // namespace

void frmMain::createDictationControls()
{
    // Where "Bravo !" comes when the word is done, beside the word's blanks: the button goes then.
    Repeter = named(new QPushButton(QStringLiteral("Répéter (Entrée)"), m_client), "Repeter",
                    QStringLiteral("Répéter le mot"));
    Repeter->setGeometry(Scale::twipsRect(7440, 330, 1995, 465));
    Repeter->setFont(BoutonDepart->font());
    // The pupil types on: a click must leave the keyboard to the typing box.
    Repeter->setFocusPolicy(Qt::NoFocus);
    Repeter->hide();
    connect(Repeter, &QPushButton::clicked, this, &frmMain::repeatWord);
    connect(MonTexte, &QLineEdit::returnPressed, this, &frmMain::repeatWord);
}

void frmMain::startDictation()
{
    const bool chosen = m_soundOn && Store::switchedOn(Store::Dictee);
    m_dictation.start(chosen);
    m_series.Dictee = m_dictation.dictating();
    if (m_dictation.fellBack())
        tellSpeechNotHeard();
    // Asked again at each series: a headset may have been plugged in since.
    if (chosen)
        Sound::checkSpeech(this, [this](bool heard) { onSpeechFound(heard); });
}

void frmMain::showWordToType(bool done)
{
    const bool hidden = m_dictation.hides(m_series.FautesMot, done);
    QFont font = MotATaper->font();
    font.setLetterSpacing(QFont::AbsoluteSpacing, hidden ? BlankSpacing : 0);
    MotATaper->setFont(font);
    MotATaper->setText(hidden ? dictationBlanks(m_word) : m_word);
    // A phrase too long for the word box at its size is shown where it is typed too, as large as the typed
    // letters: the word box alone would shrink it beyond what a young child reads. Blanks are not: they
    // would not lie under the letters they stand for.
    showModel(!hidden && MotATaper->font().pixelSize() < WordPixels ? m_word : QString());
    updateRepeatButton();
}

void frmMain::onSpeechFound(bool heard)
{
    if (!m_dictation.speechFound(heard))
        return;
    m_series.Dictee = false;
    tellSpeechNotHeard();
    if (m_series.EnCours == 0 || m_series.MotsRestants == 0 || Timer(0)->isTicking())
        return;
    // The word under way is shown, and guided, as in an ordinary series.
    showWordToType(false);
    announce(QStringLiteral("Mot à taper : %1").arg(m_word));
    showGuide(nextCharacter(MonTexte->text(), m_word, MonTexte->cursorPosition()));
    AjusteGuide();
}

void frmMain::stopDictation()
{
    // Nothing more is heard: a word still hidden is shown (the word box holds the grade once a series ends).
    const bool hidden = m_dictation.dictating() && m_series.MotsRestants != 0;
    m_dictation.stop();
    if (hidden)
        showWordToType(false);
    updateRepeatButton();
}

void frmMain::tellSpeechNotHeard()
{
    Message->setText(QStringLiteral("Pas de son sur cet ordinateur : les mots de la dictée sont montrés."));
}

void frmMain::repeatWord()
{
    if (!Repeter->isHidden() && m_soundOn)
        Sound::say(m_word);
}

void frmMain::updateRepeatButton()
{
    Repeter->setVisible(m_dictation.dictating() && m_series.EnCours != 0 && m_series.MotsRestants != 0 &&
                        !m_word.isEmpty() && !Timer(0)->isTicking());
}
