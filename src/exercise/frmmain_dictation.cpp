// Dictation in the window: the rules are in exercise/dictation.h. The word to type is kept in m_word; the
// word box shows it or its blanks. Whether speech is heard is asked of the sound thread when the window opens
// and at each dictated series; the answer comes back later, and a series already under way then shows its
// word.

#include "exercise/frmmain.h"

#include "common/intervaltimer.h"
#include "settings/store.h"
#include "sound/sound.h"

#include <QPushButton>

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
    m_screen->showWord(m_word, m_dictation.hides(m_series.FautesMot, done));
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
    m_screen->announce(QStringLiteral("Mot à taper : %1").arg(m_word));
    guideTypedText();
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
    m_screen->setMessage(
        QStringLiteral("Pas de son sur cet ordinateur : les mots de la dictée sont montrés."));
}

void frmMain::repeatWord()
{
    if (!m_screen->Repeter->isHidden() && m_soundOn)
        Sound::say(m_word);
}

void frmMain::updateRepeatButton()
{
    m_screen->Repeter->setVisible(m_dictation.dictating() && m_series.EnCours != 0 &&
                                  m_series.MotsRestants != 0 && !m_word.isEmpty() && !Timer(0)->isTicking());
}
