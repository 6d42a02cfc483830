// The dialogs opened from the menus: settings, word-list editor, About box.
//
// Each dialog has no owner and no modal flag, so the main window stays usable while it is open. It is
// created on first use and destroyed when closed; while it is open, its menu entry brings the same copy to
// the front. A dialog still open when the main window goes away goes with it.
//
// The settings and the word-list editor are the teacher's: when a teacher's code is set, it is asked before
// either opens (not when it is open already), and Cancel leaves the window as it was, the series running.

#include "exercise/frmmain.h"

#include "about/frmapropos.h"
#include "common/strings.h"
#include "settings/codedialog.h"
#include "settings/frmparam.h"
#include "words/frmmots.h"

#include <QPushButton>

namespace {

void bringToFront(QWidget *dialog)
{
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace

void frmMain::mnuParam_Click()
{
    if (!m_frmParam) {
        if (!askTeacherCode(this, QStringLiteral("les paramètres")))
            return;
        auto *dialog = new frmParam;
        connect(dialog, &frmParam::okPressed, this, [this] {
            m_screen->BoutonDepart->setEnabled(true);
            m_screen->setMessage(Texts::Invitation);
        });
        // A list chosen is the next series' list, not only the next start's.
        connect(dialog, &frmParam::wordListChosen, this, &frmMain::reloadWordList);
        connect(this, &QObject::destroyed, dialog, &QObject::deleteLater);
        m_frmParam = dialog;
    }
    bringToFront(m_frmParam);
    // Opening the settings abandons the running series: no further word is drawn.
    abandonSeries();
}

void frmMain::mnuMots_Click()
{
    if (!m_frmMots) {
        if (!askTeacherCode(this, QStringLiteral("la liste de mots")))
            return;
        auto *dialog = new frmMots;
        connect(this, &QObject::destroyed, dialog, &QObject::deleteLater);
        m_frmMots = dialog;
    }
    bringToFront(m_frmMots);
}

void frmMain::mnuApropos_Click()
{
    if (!m_frmApropos) {
        auto *dialog = new frmApropos(this);
        connect(this, &QObject::destroyed, dialog, &QObject::deleteLater);
        m_frmApropos = dialog;
    }
    bringToFront(m_frmApropos);
}
