#pragma once

// What the exercise window shows: its controls laid out in the client area, their fonts and colours, and
// what each of them shows at each moment (the word or its blanks, the grade, the stars, the hands and the lit
// keys, the lock hints, the pupil's photograph). It decides where and how things are drawn, never when: the
// series' flow (frmMain) tells it what to show, and it keeps no state of the series.
//
// Controls carry their design names as object names, so that tests find them with findChild(). The few that
// the flow reads or connects to (the typing box, the button, "Répéter") are public; the rest are shown
// through the verbs below.

#include "common/userscale.h"
#include "keyboard/guide.h"
#include "keyboard/locks.h"

#include <QColor>
#include <QRect>
#include <QString>

class KeyboardPicture;
class PathPanel;
class PictureBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QWidget;
class StarRow;
class TypingBox;

class ExerciseScreen {
public:
    // Lays the controls out in a new client area, the window's central widget.
    explicit ExerciseScreen(QMainWindow *window);

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

    // No word: the boxes empty, "Bravo !" gone, the hands and the lit keys as a new word finds them.
    void clearWord();
    // The word to type, or its blanks while it is dictated; a phrase too long for the word box at its size is
    // also shown in grey where it is typed.
    void showWord(const QString &word, bool hidden);
    // The grade, in the word box and in the typing box, which stays read-only until the next series.
    void showGrade(qint64 grade);
    void setWordAreaVisible(bool visible);
    void showBravo(bool shown);
    // One star per word (at most 20), done of them filled.
    void showStars(int done, int total);
    // The framed note for the teacher: the grade was shown but not kept.
    void showGradeNotKept(bool shown);
    void setMessage(const QString &text);
    // Tells a screen reader what the word box now shows (a new word or the grade).
    void announce(const QString &spoken);
    // The lock lights, and the hints under the message: Caps Lock on, or Num Lock off for a digit of the pad.
    void showLocks(const KeyboardLocks &locks, bool padDigit);
    // The pupil's photograph, framed when there is one.
    void ChargeImage();

    // The hand guide: the hands where the step puts them, hidden where it has none, and its keys lit.
    void showGuide(const GuideStep &step);
    void hideGuide();
    // No series: the right hand waits beside "Commencer", not on the key of a word that is gone.
    void restHand();

    TypingBox *MonTexte = nullptr;
    QPushButton *BoutonDepart = nullptr;
    QPushButton *Repeter = nullptr;
    // Where the pupil is on the path; it also chooses the list a series draws from (exercise/pathpanel.h).
    PathPanel *Parcours = nullptr;

private:
    void createControls(QMainWindow *window);
    void createPictures();
    void createNotes();
    void createTextBoxes();
    // The text to type shown in grey in the typing box (none: empty), the box's size fitted to it.
    void showModel(const QString &model);

    QWidget *m_client = nullptr;
    PictureBox *Logo = nullptr;
    QLabel *TaNoteTexte = nullptr;
    QLabel *Consigne = nullptr;
    QWidget *MotATaperBord = nullptr;
    QLineEdit *MotATaper = nullptr;
    PictureBox *Bravo = nullptr;
    PictureBox *FrappinPhoto = nullptr;
    KeyboardPicture *ImageClavier = nullptr;
    PictureBox *MainGauche = nullptr;
    PictureBox *MainDroite = nullptr;
    QLabel *Message = nullptr;
    StarRow *Etoiles = nullptr;
    QLabel *VerrMaj = nullptr;
    QLabel *NoteNonGardee = nullptr;
};
