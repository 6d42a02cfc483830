#pragma once

// The teacher's settings dialog: guide level, series length, sound, word-list file, and below them the
// dictation and the path (settings/dictationchoice.h, settings/pathchoice.h).
//
// There is no apply step: every selection of a list, the ones that loading makes included, is written to the
// settings store at once, so the store always holds what the dialog shows. OK only closes the dialog and asks
// the main window, through okPressed(), to re-arm its start button. The dialog is destroyed when closed and
// each opening rebuilds its lists from the store.

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class frmParam : public QDialog {
    Q_OBJECT
public:
    explicit frmParam(QWidget *parent = nullptr);

    void cmdOK_Click();

    // One handler per list: stores the selection.
    void saisieNiveau_Click();
    void saisieExercice_Click();
    void saisieSon_Click();
    void saisieFichier_Click();

Q_SIGNALS:
    // OK (or Enter, or Escape) was pressed; the close box does not emit it.
    void okPressed();
    // The teacher chose another word list, and it is stored.
    void wordListChosen();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void Form_Load();
    void fitListColumn();

    QPushButton *cmdOK = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *saisieNiveau = nullptr;
    QLabel *Label3 = nullptr;
    QComboBox *saisieExercice = nullptr;
    QLabel *Label4 = nullptr;
    QComboBox *saisieSon = nullptr;
    QLabel *Label5 = nullptr;
    QComboBox *saisieFichier = nullptr;
    // Set once the lists are filled: from then on a choice is the teacher's.
    bool m_loaded = false;
};
