// The hand guide in the window: the rules (keyboard/guide.h) say where a hand goes and what the level allows;
// these move, show and hide the two hand pictures.

#include "exercise/frmmain.h"

#include "common/intervaltimer.h"
#include "common/picturebox.h"
#include "common/values.h"

void frmMain::PlaceMainDroite(const QString &c)
{
    if (m_series.NiveauGuide.hidesHands()) {
        MainGauche->hide();
        MainDroite->hide();
        return;
    }
    const int index = markerOf(values().ToucheCaractere, values().DerniereTouche, c);
    // No key to show: no hand is better than a hand on a key that is not the one to press.
    if (index < 0) {
        MainDroite->hide();
        return;
    }
    MainDroite->move(handPlace(Hand::Right, index));
}

void frmMain::PlaceMainGauche(const QString &c)
{
    if (m_series.NiveauGuide.hidesHands()) {
        MainGauche->hide();
        MainDroite->hide();
        AjusteGuide();
        return;
    }
    const int index = markerOf(values().ToucheCaractere, values().DerniereTouche, c);
    if (index < 0) {
        MainGauche->hide();
        AjusteGuide();
        return;
    }
    MainGauche->move(handPlace(Hand::Left, index));
}

void frmMain::AjusteGuide()
{
    switch (m_series.NiveauGuide.adjustment()) {
    case GuideLevel::Adjustment::HideLeftHand:
        MainGauche->hide();
        break;
    case GuideLevel::Adjustment::StartTimeOut:
        Timer(1)->setInterval(GuideTimeOutMilliseconds);
        Timer(1)->setEnabled(true);
        break;
    case GuideLevel::Adjustment::HideBothHands:
        MainGauche->hide();
        MainDroite->hide();
        break;
    case GuideLevel::Adjustment::Nothing:
        break;
    }
}
