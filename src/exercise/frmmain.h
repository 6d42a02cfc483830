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
//   pupil's section of the store (settings/store.h). With "Son" on, each of these steps is also heard
//   (sound/sound.h).
//
// This class holds the controls and applies the rules to them. Controls carry their design names as object
// names, so that tests find them with findChild().

#include "common/owndialog.h"
#include "common/userscale.h"
#include "exercise/dictation.h"
#include "exercise/series.h"
#include "keyboard/locks.h"

#include <QColor>
#include <QMainWindow>
#include <QPointer>
#include <QRect>

#include <array>

class IntervalTimer;
class KeyboardPicture;
class PathPanel;
class PictureBox;
class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QWindow;
class StarRow;
class TypingBox;

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
    void showKeystroke(const Keystroke &keystroke);
    void hideGuide();
    void PlaceMainDroite(int marker);
    void PlaceMainGauche(int marker);
    void AjusteGuide();

    // The pupil's photograph.
    void ChargeImage();

    IntervalTimer *Timer(int index) const { return m_timers.at(static_cast<std::size_t>(index)); }
    const Series &series() const { return m_series; }
    // The settings dialog abandons the running series: no further word is drawn, nothing more is heard.
    void abandonSeries()
    {
        m_series.EnCours = 0;
        m_soundOn = false;
        stopDictation();
    }

    // Dictation (frmmain_dictation.cpp): the word said again, by "Répéter" or Enter.
    void repeatWord();

    // The right hand's place when no series runs, beside "Commencer".
    static inline const QRect RestingRightHand = Scale::twipsRect(7740, 5910, 480, 705);
    // The layout's font sizes of the word box and the typing box, in pixels: kept while the text fits.
    static constexpr int WordPixels = 16;
    static constexpr int TypingPixels = 85;
    // The selected mistake in the typing box.
    static inline const QColor MistakeColour{0xff, 0xb3, 0xb3};
    static inline const QColor MistakeTextColour{0x8b, 0x00, 0x00};
    // Where the row of stars may lie: under the word box, between the logo and "Bravo !".
    static inline const QRect StarsArea{160, 54, 325, 16};

protected:
    void showEvent(QShowEvent *event) override;
    // Keeps the fixed size where the frame offers to maximise anyway.
    void changeEvent(QEvent *event) override;
    // Watches the keys that reach the typing box and the button: the locks, and the dead key.
    bool eventFilter(QObject *watched, QEvent *event) override;

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
    void appendToHistory(const QString &pupil);
    void setWordAreaVisible(bool visible);
    // One star per word of the series, filled for each word done (the word in its pause included).
    void updateStars();
    // Tells a screen reader what MotATaper now shows (a new word or the grade).
    void announce(const QString &spoken);
    // The text to type shown in grey in the typing box (none: empty), the box's size fitted to it.
    void showModel(const QString &model);
    // Dictation: decided at the start of a series, the word box showing the word or its blanks, the word
    // shown after all when speech is found not to be heard, and the "Répéter" button shown while it helps.
    void createDictationControls();
    void startDictation();
    void showWordToType(bool done);
    void onSpeechFound(bool heard);
    void stopDictation();
    void tellSpeechNotHeard();
    void updateRepeatButton();
    // Caps Lock and Num Lock read again (from the keyboard, or else from a real key event's modifiers), and
    // what they mean for the next keystroke shown: the lights, and the hint under the message.
    void readLocks(const QKeyEvent *key = nullptr);
    void updateLockHints();

    // Controls (see the layout of the window for each).
    QWidget *m_client = nullptr;
    PictureBox *Logo = nullptr;
    QLabel *TaNoteTexte = nullptr;
    QLabel *Consigne = nullptr;
    QWidget *MotATaperBord = nullptr;
    QLineEdit *MotATaper = nullptr;
    PictureBox *Bravo = nullptr;
    PictureBox *FrappinPhoto = nullptr;
    TypingBox *MonTexte = nullptr;
    KeyboardPicture *ImageClavier = nullptr;
    PictureBox *MainGauche = nullptr;
    PictureBox *MainDroite = nullptr;
    QLabel *Message = nullptr;
    QPushButton *BoutonDepart = nullptr;
    StarRow *Etoiles = nullptr;
    // The path (exercise/pathpanel.h): the list a series draws from, and where the pupil is.
    PathPanel *m_path = nullptr;
    QLabel *VerrMaj = nullptr;
    QLabel *NoteNonGardee = nullptr;
    QPushButton *Repeter = nullptr;
    std::array<IntervalTimer *, 3> m_timers{};
    Series m_series;
    // The word to type, which the word box may show as blanks.
    QString m_word;
    Dictation m_dictation;
    int m_seriesWords = 0; // the length of the running or last series, for the stars
    // "Son" as the teacher set it when the series started: the word, "Bravo !", the grade and mistakes heard.
    bool m_soundOn = false;
    // A history that cannot be written is told once while the program runs.
    bool m_historyFailureTold = false;
    Keystroke m_keystroke;
    // As the keyboard had them last; Num on until the keyboard says otherwise.
    KeyboardLocks m_locks{false, true};
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
