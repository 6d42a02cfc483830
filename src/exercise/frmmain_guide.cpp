// The hand guide: the right hand points at the key of the next character, the left hand at the base letter of
// a letter made with a dead key, and the teacher's level decides whether the hands show and for how long.

#include "exercise/frmmain.h"

#include "common/intervaltimer.h"
#include "common/picturebox.h"
#include "common/values.h"
#include "keyboard/keytable.h"

#include <cmath>

namespace {

// The level of the running series, compared by its numeric value; no level yet counts as 0.
double guideLevel()
{
    return values().NiveauGuide.trimmed().toDouble();
}

} // namespace

int frmMain::markerOf(const QString &c) const
{
    // Nothing left to type (an empty word, or a typed text as long as the word) is no key to press: keys
    // that type no character, such as Echap, must not be shown for it.
    if (c.isEmpty())
        return -1;
    const ProgramValues &v = values();
    const int index = findKey(v.ToucheCaractere, v.DerniereTouche, c);
    // A key file with more lines than there are markers names keys that do not exist; they are not found.
    return index < MarkerCount ? index : -1;
}

void frmMain::PlaceMainDroite(const QString &c)
{
    if (guideLevel() >= 2) {
        MainGauche->hide();
        MainDroite->hide();
        return;
    }
    const int index = markerOf(c);
    // No key to show (nothing left to type, or a character no key of the table gives): no hand is better
    // than a hand on a key that is not the one to press.
    if (index < 0) {
        MainDroite->hide();
        return;
    }
    const QRectF key = Touche(index);
    moveHand(MainDroite, std::floor(key.left()), std::floor(key.top()) + std::floor(key.height()));
}

void frmMain::PlaceMainGauche(const QString &c)
{
    if (guideLevel() >= 2) {
        MainGauche->hide();
        MainDroite->hide();
        AjusteGuide();
        return;
    }
    const int index = markerOf(c);
    if (index < 0) {
        MainGauche->hide();
        AjusteGuide();
        return;
    }
    // The left hand's finger lies further right in its picture: the hand goes two marker widths to the left.
    const QRectF key = Touche(index);
    moveHand(MainGauche, std::floor(key.left()) - 2 * std::floor(key.width()),
             std::floor(key.top()) + std::floor(key.height()));
}

void frmMain::AjusteGuide()
{
    const double level = guideLevel();
    if (level == 0) {
        MainGauche->hide();
    } else if (level == 1) {
        Timer(1)->setInterval(1000);
        Timer(1)->setEnabled(true);
    } else if (level == 2) {
        MainGauche->hide();
        MainDroite->hide();
    }
}
