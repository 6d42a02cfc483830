#pragma once

// The pupil's exercise window, the program's only top-level window.
//
// The window is three rooms, each readable alone:
//   - the window itself (frmmain.cpp): its frame, menus and timers, the greeting when it takes the focus back
//     from one of the program's own dialogs, quitting; and the dialogs it opens (frmmain_dialogs.cpp);
//   - what it shows (ExerciseScreen, exercise/exercisescreen.h): the controls laid out, and verbs that show a
//     word, the grade, the stars, the hands and lit keys, the lock hints; it decides how, never when;
//   - the series' flow (frmMain's handlers, below): when a word is drawn, checked, paused on, counted and
//     graded, with the rules of exercise/series.h, exercise/dictation.h and keyboard/guide.h. Its state is
//     this class's: the series, the word, the dictation, the guide shown, the timers.
//
// How a series flows: BoutonDepart_Click / mnuNouveau_Click start it (Series::start), the path choosing the
// list it draws from (PathPanel::startSeries, exercise/pathpanel.h), and call Form_Load, which draws a word
// (drawWord, frmmain_series.cpp) and shows it. Each change of MonTexte runs
// MonTexte_Change (frmmain_check.cpp). A completed word shows Bravo and starts Timer(0); its tick
// (Timer_Timer) counts the word (Series::wordDone) and either draws the next one or ends the series
// (endSeries): the path moves the pupil on (PathPanel::endSeries), AfficheNote shows the grade and the
// results go to the pupil's section of the store and to the history. With "Son" on, each of these steps is
// also heard (sound/sound.h); dictation is frmmain_dictation.cpp.
//
// The route of one keystroke, five files of the program: MonTexte_Change (frmmain_check.cpp) asks
// Series::check (series.cpp) for the mistake and guideAfterChange (keyboard/guide.cpp, which reads the key
// table through keytable.cpp and the key caps through keycaps.cpp) for the one GuideView to show;
// applyGuide hands its step to ExerciseScreen::showGuide (exercisescreen.cpp), which moves the hands and
// lights the keys of the keyboard picture (keyboard/keyboardpicture.cpp).

#include "common/owndialog.h"
#include "exercise/dictation.h"
#include "exercise/exercisescreen.h"
#include "exercise/series.h"
#include "keyboard/guide.h"
#include "keyboard/locks.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>

class IntervalTimer;
class QKeyEvent;
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

    // Where the screen puts things, under the names the window has always given them.
    static inline const QRect &RestingRightHand = ExerciseScreen::RestingRightHand;
    static constexpr int WordPixels = ExerciseScreen::WordPixels;
    static constexpr int TypingPixels = ExerciseScreen::TypingPixels;
    static inline const QColor &MistakeColour = ExerciseScreen::MistakeColour;

protected:
    void showEvent(QShowEvent *event) override;
    // Keeps the fixed size where the frame offers to maximise anyway.
    void changeEvent(QEvent *event) override;
    // Watches the keys that reach the typing box and the button: the locks, and the dead key.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Building the window, in this order.
    void createMenus();
    void createTimers();

    void onFocusWindowChanged(QWindow *focused);
    static bool isOwnDialog(const QWindow *window);

    // The entries of the loaded list that can be drawn; the list chosen in the settings, loaded again.
    void findTypableWords();
    void reloadWordList();
    // The word a new word of the series is: drawn from the loaded list, among the entries it can type.
    QString drawWord();
    // The end of a series, after the pause of its last word: the grade shown, the results kept.
    void endSeries();
    // Appends the series to the history; a failure keeps it for the next start.
    void appendToHistory(const QString &pupil);
    // One star per word of the series, filled for each word done (the word in its pause included).
    void updateStars();
    // The guide of the typed text as it is now (a new word's first key included), and the one place where a
    // guide's view reaches the screen (and starts Timer(1), which hides it at "2 - Guide limité").
    void guideTypedText();
    void applyGuide(const GuideView &view);
    // Dictation: decided at the start of a series, the word box showing the word or its blanks, the word
    // shown after all when speech is found not to be heard, and the "Répéter" button shown while it helps.
    void startDictation();
    void showWordToType(bool done);
    void onSpeechFound(bool heard);
    void stopDictation();
    void tellSpeechNotHeard();
    void updateRepeatButton();
    // Caps Lock and Num Lock read again (from the keyboard, or else from a real key event's modifiers), and
    // shown with what they mean for the next keystroke.
    void readLocks(const QKeyEvent *key = nullptr);

    // What the window shows; MonTexte, BoutonDepart and Repeter are its controls.
    std::unique_ptr<ExerciseScreen> m_screen;
    // The path (exercise/pathpanel.h): the list a series draws from, and where the pupil is.
    PathPanel *m_path = nullptr;
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
    // What the guide shows for the typed text, the step after a dead key included.
    GuideView m_guide;
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
