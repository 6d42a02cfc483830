#pragma once

// The pupil's exercise window, the program's only top-level window.
//
// How a series flows through it, and where each rule lives:
//   BoutonDepart_Click / mnuNouveau_Click start the series (Series::start, exercise/series.h) and call
//   Form_Load, which draws a word from the loaded list (common/values.h), shows it in MotATaper and points
//   the right hand at its first key. Each change of MonTexte runs MonTexte_Change (frmmain_check.cpp):
//   Series::check finds the first wrong character and counts the mistake, nextCharacter and keystrokeFor
//   (keyboard/guide.h) say which keys come next, and showGuide (frmmain_guide.cpp) moves the hands where
//   handPlace says and lights the keys, as the guide level allows. A completed word shows Bravo and starts
//   Timer(0); its tick (Timer_Timer, frmmain_series.cpp) counts the word (Series::wordDone) and either draws
//   the next one or ends the series: AfficheNote shows the grade and the results (Series::results) go to the
//   pupil's section of the store (settings/store.h).
//
// This class holds the controls and applies the rules to them. Controls carry their design names as object
// names, so that tests find them with findChild().

#include "common/owndialog.h"
#include "common/userscale.h"
#include "exercise/series.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>

#include <array>

class IntervalTimer;
class KeyboardPicture;
class PictureBox;
class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QWindow;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // The mark of the program's own dialogs, whose closing greets the pupil again.
    static constexpr const char *OwnDialogProperty = ::OwnDialogProperty;

    // Creates the window and runs the start-up sequence (Form_Initialize). The activation rule runs when the
    // window is first shown.
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // Life of the window and of a series.
    void Form_Initialize();
    void Form_Load();
    void Form_Activate();
    void BoutonDepart_Click();
    void mnuNouveau_Click();
    void mnuQuitter_Click();
    void exit_Click();

    // Dialogs opened from the menus.
    void mnuParam_Click();
    void mnuMots_Click();
    void mnuApropos_Click();

    // Typed-text check, pause timer and grade.
    void MonTexte_Change();
    void Timer_Timer(int index);
    QString AfficheNote();

    // Hand guide.
    // Shows the keystroke of c: the hands (PlaceMainDroite, PlaceMainGauche, AjusteGuide) and the lit keys.
    void showGuide(const QString &c);
    void hideGuide();
    void PlaceMainDroite(int marker);
    void PlaceMainGauche(int marker);
    void AjusteGuide();

    // The pupil's photograph.
    void ChargeImage();

    IntervalTimer *Timer(int index) const { return m_timers.at(static_cast<std::size_t>(index)); }
    const Series &series() const { return m_series; }
    // The settings dialog abandons the running series: no further word is drawn.
    void abandonSeries() { m_series.EnCours = 0; }

    // The right hand's place when no series runs, beside "Commencer".
    static inline const QRect RestingRightHand = Scale::twipsRect(7740, 5910, 480, 705);

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Building the window, in this order.
    void createControls();
    void createMenus();
    void createTimers();

    void onFocusWindowChanged(QWindow *focused);
    static bool isOwnDialog(const QWindow *window);

    // The entries of the loaded list that can be drawn; the list chosen in the settings, loaded again.
    void findTypableWords();
    void reloadWordList();
    // The end of a series, after the pause of its last word.
    void endSeries();
    // Appends the series to the history; a failure keeps it for the next start.
    void appendToHistory();
    void setWordAreaVisible(bool visible);

    // Controls (see the layout of the window for each).
    QWidget *m_client = nullptr;
    PictureBox *Logo = nullptr;
    QLabel *TaNoteTexte = nullptr;
    QLabel *Consigne = nullptr;
    QWidget *MotATaperBord = nullptr;
    QLineEdit *MotATaper = nullptr;
    PictureBox *Bravo = nullptr;
    PictureBox *FrappinPhoto = nullptr;
    QLineEdit *MonTexte = nullptr;
    KeyboardPicture *ImageClavier = nullptr;
    PictureBox *MainGauche = nullptr;
    PictureBox *MainDroite = nullptr;
    QLabel *Message = nullptr;
    QPushButton *BoutonDepart = nullptr;
    std::array<IntervalTimer *, 3> m_timers{};
    Series m_series;
    // A history that cannot be written is told once while the program runs.
    bool m_historyFailureTold = false;
    Keystroke m_keystroke;
    // The entries of the word list that the keyboard can type, the only ones drawn.
    QList<int> m_typable;

    // Menu entries.
    QAction *mnuNouveau = nullptr;
    QAction *mnuConfig = nullptr;
    QAction *mnuParam = nullptr;
    QAction *mnuQuitter = nullptr;
    QAction *mnuMots = nullptr;
    QAction *exit = nullptr;
    QAction *mnuApropos = nullptr;

    // Dialogs, created on first use.
    QPointer<QWidget> m_frmParam;
    QPointer<QWidget> m_frmMots;
    QPointer<QWidget> m_frmApropos;

    bool m_shownOnce = false;
    bool m_ownDialogHadFocus = false;
};
