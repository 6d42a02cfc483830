// The hand guide in the window: the rules (keyboard/guide.h) say which keys a character takes, where a hand
// goes and what the level allows; these move, show and hide the two hand pictures and light the keys.

#include "exercise/frmmain.h"

#include "common/intervaltimer.h"
#include "common/picturebox.h"
#include "common/values.h"
#include "keyboard/keyboardpicture.h"

void frmMain::showGuide(const QString &c)
{
    // A character the keyboard cannot type is never drawn; should one be met all the same, nothing is shown.
    // Nor is a dictated word's key before its first mistake: the guide would spell the word.
    if (!m_dictation.guides(m_series.FautesMot)) {
        showKeystroke({});
        return;
    }
    showKeystroke(keystrokeFor(c, values().ToucheCaractere, values().DerniereTouche).value_or(Keystroke{}));
}

void frmMain::showKeystroke(const Keystroke &keystroke)
{
    m_keystroke = keystroke;
    updateLockHints();
    if (m_keystroke.left >= 0) {
        MainDroite->show();
        PlaceMainDroite(m_keystroke.right);
        MainGauche->show();
        PlaceMainGauche(m_keystroke.left);
        // After a dead key the left hand alone shows the letter, and goes as a one-key keystroke's hand does.
        if (m_keystroke.right < 0)
            AjusteGuide();
    } else {
        MainGauche->hide();
        AjusteGuide();
        MainDroite->show();
        PlaceMainDroite(m_keystroke.right);
    }
    if (m_series.NiveauGuide.hidesHands())
        hideGuide();
    else
        ImageClavier->setLitKeys(m_keystroke.first, m_keystroke.second);
}

void frmMain::hideGuide()
{
    MainGauche->hide();
    MainDroite->hide();
    ImageClavier->setLitKeys({}, {});
}

void frmMain::PlaceMainDroite(int marker)
{
    if (m_series.NiveauGuide.hidesHands()) {
        hideGuide();
        return;
    }
    // No key to show: no hand is better than a hand on a key that is not the one to press.
    if (marker < 0) {
        MainDroite->hide();
        return;
    }
    MainDroite->move(handPlace(Hand::Right, marker));
}

void frmMain::PlaceMainGauche(int marker)
{
    if (m_series.NiveauGuide.hidesHands()) {
        hideGuide();
        AjusteGuide();
        return;
    }
    if (marker < 0) {
        MainGauche->hide();
        AjusteGuide();
        return;
    }
    MainGauche->move(handPlace(Hand::Left, marker));
}

void frmMain::AjusteGuide()
{
    switch (m_series.NiveauGuide.adjustment()) {
    case GuideLevel::Adjustment::HideLeftHand:
        // Only a keystroke of one key has no use for the left hand.
        if (m_keystroke.left < 0)
            MainGauche->hide();
        break;
    case GuideLevel::Adjustment::StartTimeOut:
        Timer(1)->setInterval(GuideTimeOutMilliseconds);
        Timer(1)->setEnabled(true);
        break;
    case GuideLevel::Adjustment::HideBothHands:
        hideGuide();
        break;
    case GuideLevel::Adjustment::Nothing:
        break;
    }
}
