#pragma once

// What every test needs to run the program's code away from the user's files: a settings store in a
// temporary configuration folder, the history in a temporary data folder, a temporary program folder for
// the data files, fresh program-wide values,
// and message boxes replaced by a recorder that answers as the test says.

#include "common/messagebox.h"
#include "settings/store.h"

#include <QApplication>
#include <QByteArray>
#include <QDebug>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <functional>

class Sandbox {
public:
    // Empties the settings store, points the program's folder at a new temporary folder, resets the
    // program-wide values, the clock and the random draw, and records message boxes.
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox &) = delete;
    Sandbox &operator=(const Sandbox &) = delete;

    QString folder() const { return m_folder.path(); }
    QString path(const QString &name) const { return m_folder.filePath(name); }
    // Writes bytes to a file of the program's folder.
    void writeFile(const QString &name, const QByteArray &bytes) const;
    // Copies a data file that ships with the program into the program's folder.
    void copyShippedFile(const QString &name) const;
    // Copies the shipped word list and keyboard file, as an installed program has them.
    void copyShippedData() const;

    // Message boxes shown so far, and the answers to give to the next Yes/No questions (Yes by default).
    QList<MessageRequest> messages;
    QList<MsgAnswer> answers;

private:
    QTemporaryDir m_folder;
};

namespace TestSupport {
// Run once at the start of a test program, before the application object exists.
void prepareProcess();
// The configuration folder of the settings store used by the tests.
QString configFolder();
} // namespace TestSupport

// Message boxes compare field by field and print as such when a comparison fails.
bool operator==(const MessageRequest &a, const MessageRequest &b);
QDebug operator<<(QDebug debug, const MessageRequest &request);

// The bytes of a file, or "<unreadable>".
QByteArray fileBytes(const QString &path);
// A value of the "Frappin" store, or "<absent>".
QString readSetting(const QString &key, const QString &section = Store::Demarrage);

// Runs check with the rights of an ordinary user, so that permission bits count: in a child process that
// becomes "nobody" when the tests run as root, directly otherwise. Returns check's result (0 to 254), or -1
// when the rights could not be dropped.
int asOrdinaryUser(const std::function<int()> &check);

// Answers the teacher's code dialogs as they open, one code each (typed then OK; an empty one: Cancel), and
// leaves in "said" what the dialog's red line says after each answer ("" when hidden or closed).
void answerCodeDialogs(QStringList codes, QStringList *said);

// Answers the next file dialog with path, as if the user had chosen it.
void answerFileDialog(const QString &path);

// The open top-level windows of a type.
template <typename T> QList<T *> topLevels()
{
    QList<T *> found;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<T *>(widget))
            found.append(window);
    }
    return found;
}

// main() of a test suite: the application object (a QApplication offscreen unless told otherwise, or a
// QCoreApplication for a suite that draws nothing, so that a widget made there by mistake fails) and the
// sandboxed store.
#define FRAPPIN_TEST_MAIN_WITH(TestClass, Application)                                                       \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        TestSupport::prepareProcess();                                                                       \
        Application app(argc, argv);                                                                         \
        TestClass test;                                                                                      \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
#define FRAPPIN_TEST_MAIN(TestClass) FRAPPIN_TEST_MAIN_WITH(TestClass, QApplication)
#define FRAPPIN_GUILESS_TEST_MAIN(TestClass) FRAPPIN_TEST_MAIN_WITH(TestClass, QCoreApplication)
