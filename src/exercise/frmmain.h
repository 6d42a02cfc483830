#pragma once

// The pupil's exercise window, the program's only top-level window.
//
// How a series flows through it:
//   BoutonDepart_Click / mnuNouveau_Click reset the counters and call Form_Load, which draws a word, shows it
//   in MotATaper and points the right hand at its first key. Each change of MonTexte runs MonTexte_Change:
//   the first wrong character is selected and counted, the hand guide (PlaceMainDroite, PlaceMainGauche,
//   AjusteGuide) points at the next key, and a completed word shows Bravo and starts Timer(0). Its tick
//   (Timer_Timer) counts the word and either calls Form_Load for the next word or ends the series: the time
//   is taken, AfficheNote shows the grade and the results go to the pupil's section of the store.
//
// The state of a series lives in the program-wide values (common/values.h); this class holds the controls.
// Controls carry their design names as object names, so that tests find them with findChild().

#include "common/owndialog.h"
#include "common/userscale.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QRectF>

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
    static constexpr int MarkerCount = 102;
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
    void PlaceMainDroite(const QString &c);
    void PlaceMainGauche(const QString &c);
    void AjusteGuide();

    // The pupil's photograph.
    void ChargeImage();

    // Key marker i (0 to 101) in the window's user units: left, top, width and height.
    QRectF Touche(int index) const;
    // Key marker i in twips of the client area.
    QRect toucheTwips(int index) const { return m_touche.at(static_cast<std::size_t>(index)); }
    IntervalTimer *Timer(int index) const { return m_timers.at(static_cast<std::size_t>(index)); }

    // The right hand's place when no series runs, beside "Commencer".
    static inline const QRect RestingRightHand = Scale::twipsRect(7740, 5910, 480, 705);

    // Moves a hand image, its top-left corner given in user units.
    void moveHand(PictureBox *hand, double leftUnits, double topUnits);

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Building the window, in this order.
    void createControls();
    void createMenus();
    void createTimers();

    void onFocusWindowChanged(QWindow *focused);
    static bool isOwnDialog(const QWindow *window);

    // The end of a series, after the pause of its last word.
    void endSeries();
    void setWordAreaVisible(bool visible);
    // Marker of the key that gives c, or -1 when no key of the table gives it.
    int markerOf(const QString &c) const;

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
    std::array<QRect, MarkerCount> m_touche{};
    std::array<IntervalTimer *, 3> m_timers{};

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
