// The typed-text check, run on every change of the typing box, the program's own changes included.

#include "exercise/frmmain.h"

#include "common/intervaltimer.h"
#include "common/picturebox.h"
#include "common/text.h"
#include "common/values.h"
#include "exercise/typing.h"

#include <QLineEdit>

void frmMain::MonTexte_Change()
{
    ProgramValues &v = values();
    if (v.MotsRestants == 0)
        return;

    const QString typed = MonTexte->text();
    const QString word = MotATaper->text();

    // Select the first wrong character so that the next keystroke replaces it; one change, one mistake.
    if (const auto wrong = firstWrongOffset(typed, word)) {
        MonTexte->setSelection(static_cast<int>(*wrong), static_cast<int>(word.size() - *wrong));
        ++v.FautesMot;
    }

    const QString next = charAt(word, typed.size() + 1);
    if (const auto strokes = deadKeyStrokes(next)) {
        MainDroite->show();
        PlaceMainDroite(strokes->deadKey);
        MainGauche->show();
        PlaceMainGauche(strokes->baseLetter);
    } else {
        MainGauche->hide();
        // With a wrong character selected, show the key that should have been typed in its place.
        const qsizetype caret =
            MonTexte->hasSelectedText() ? MonTexte->selectionStart() : MonTexte->cursorPosition();
        const qsizetype position = caret < typed.size() ? typed.size() : typed.size() + 1;
        AjusteGuide();
        MainDroite->show();
        PlaceMainDroite(charAt(word, position));
    }

    if (!typed.isEmpty() && typed == word) {
        Bravo->show();
        MainGauche->hide();
        MainDroite->hide();
        Timer(0)->setInterval(2000);
        Timer(0)->setEnabled(true);
        v.FautesSerie += v.FautesMot;
    }
}
