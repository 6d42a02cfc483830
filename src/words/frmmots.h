#pragma once

// The word-list editor: the words of "frappin.mot" in French alphabetical order, a box to add a word, a
// button to delete the selected word, and a close button that offers to save the list.
//
// The editor always edits "frappin.mot" of the program's folder, whatever list the settings choose; the
// exercises read their list once, at start-up. It reads and writes the file by the rules of
// words/editorfile.h. Saving replaces the file whole or not at all; a save that fails says so and keeps the
// dialog open with its list, so that nothing typed is lost. The window's close box closes without saving.

#include <QDialog>
#include <QStringList>

#include "words/editorfile.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class frmMots : public QDialog {
    Q_OBJECT
public:
    explicit frmMots(QWidget *parent = nullptr);

    void btnAjouter_Click();
    // Deletes the selected word after a question.
    void Command1_Click();
    // Closes, after offering to save when the list was changed.
    void Command2_Click();

    // Writes the list to "frappin.mot". Returns false, with the old file untouched and the teacher told why,
    // when it could not be written.
    bool SauveMots();

    // The words in the order shown.
    QStringList words() const;
    bool isModified() const { return Modifie; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void Form_Load();
    // Says why word cannot be a word of the list, or gives the empty text when it can.
    QString refusal(const QString &word) const;
    // The characters of word that the keyboard cannot type (none when no key table is loaded).
    static QString untypable(const QString &word);
    // Tells the teacher of the words that can never be drawn and offers their usual spelling.
    void offerUsualSpellings();
    // Before a save: puts the words saved meanwhile by another editor together with this one's changes.
    void mergeChangesOnDisk(const QString &path);

    QLabel *Label1 = nullptr;
    QListWidget *List1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QPushButton *btnAjouter = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;

    bool Modifie = false;
    // The file as read (or last saved): its words, the comment lines written back before the words, its
    // encoding; and its decoded text, to notice a change made on disk meanwhile.
    EditorFile m_read;
    QString m_readText;
};
