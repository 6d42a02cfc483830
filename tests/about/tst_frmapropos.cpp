// The About box: its texts, its place over the main window, the registry reads that name the
// system-information tool (the trimming of a value and the failure of a value of size 0), and the choice of
// the program to start, down to the message when there is none.

#include "about/frmapropos.h"
#include "about/registry.h"
#include "about/sysinfo.h"
#include "common/picturebox.h"
#include "common/strings.h"
#include "exercise/frmmain.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString ToolKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString ToolFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

QString label(const QWidget *box, const char *name)
{
    return box->findChild<QLabel *>(QString::fromLatin1(name))->text();
}

// The box's frame (title bar and borders included) lies centred over the main window's frame, to the pixel.
bool centredOver(const QWidget &box, const QWidget &main)
{
    const QRect outer = main.frameGeometry();
    const QRect frame = box.frameGeometry();
    return qAbs((frame.left() - outer.left()) * 2 - (outer.width() - frame.width())) <= 1 &&
           qAbs((frame.top() - outer.top()) * 2 - (outer.height() - frame.height())) <= 1;
}

// A registry value: key, value name, type, bytes.
struct StoredValue {
    QString key;
    QString name;
    quint32 type = Registry::TypeText;
    QByteArray data;
};

// While it lives, the PATH of this process is a folder of the given fake programs.
class FakePath {
public:
    explicit FakePath(const QStringList &programs) : m_saved(qgetenv("PATH"))
    {
        for (const QString &name : programs) {
            QFile file(m_folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("#!/bin/sh\n") > 0);
            QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
        }
        qputenv("PATH", m_folder.path().toLocal8Bit());
    }
    ~FakePath() { qputenv("PATH", m_saved); }
    FakePath(const FakePath &) = delete;
    FakePath &operator=(const FakePath &) = delete;
    QString folder() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
    QByteArray m_saved;
};

} // namespace

class TestFrmApropos : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void boxShowsTheProgramAndItsVersion();
    void boxIsCentredOverTheMainWindow_data();
    void boxIsCentredOverTheMainWindow();
    void trimmingKeepsTheValueBeforeItsFinalNul_data();
    void trimmingKeepsTheValueBeforeItsFinalNul();
    void getKeyValueReadsEachKindOfValue_data();
    void getKeyValueReadsEachKindOfValue();
    void systemInfoToolIsFoundOrTheMessageShown_data();
    void systemInfoToolIsFoundOrTheMessageShown();
    void menuKeepsOneCopy();
};

void TestFrmApropos::cleanup()
{
    Registry::clearForTests();
    setLauncherForTests({});
}

void TestFrmApropos::boxShowsTheProgramAndItsVersion()
{
    Sandbox sandbox;
    frmApropos box;
    QCOMPARE(box.windowTitle(), Texts::ApplicationTitle);
    QCOMPARE(label(&box, "lblTitle"), QStringLiteral("Divod Ivodedod - Frappin v1.0.0"));
    QVERIFY(!label(&box, "lblVersion").isEmpty() && label(&box, "lblVersion") != QStringLiteral("Version"));
    // The description, an empty line, then the five contact lines.
    const QStringList lines = label(&box, "lblDescription").split(u'\n');
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines[0], QStringLiteral("Progrmmes d 'aide pédagogique pour Divod ivodedod."));
    QCOMPARE(lines[1], QString());
    QVERIFY(!box.windowIcon().isNull());
    QVERIFY(box.findChild<PictureBox *>("picIcon")->hasPicture());
    QVERIFY(box.property(frmMain::OwnDialogProperty).toBool());
}

void TestFrmApropos::boxIsCentredOverTheMainWindow_data()
{
    QTest::addColumn<QRect>("main");
    QTest::newRow("larger main window") << QRect(100, 50, 701, 403);
    QTest::newRow("odd margins") << QRect(0, 0, 304, 206);
    QTest::newRow("main window smaller than the box") << QRect(400, 300, 101, 3);
    QTest::newRow("main window partly off the screen") << QRect(-200, -100, 501, 403);
}

void TestFrmApropos::boxIsCentredOverTheMainWindow()
{
    QFETCH(QRect, main);
    Sandbox sandbox;
    QWidget mainWindow;
    mainWindow.setGeometry(main);
    frmApropos box(&mainWindow);
    QVERIFY(centredOver(box, mainWindow));
    // The first display gives the box its frame and centres it again, frame counted.
    box.show();
    QVERIFY(centredOver(box, mainWindow));

    // Moving the main window leaves the box where it is, until the box receives a size change.
    QCoreApplication::processEvents();
    const QPoint shown = box.pos();
    mainWindow.move(main.topLeft() + QPoint(37, 23));
    QCoreApplication::processEvents();
    QCOMPARE(box.pos(), shown);
    QResizeEvent resize(box.size(), box.size());
    QCoreApplication::sendEvent(&box, &resize);
    QVERIFY(centredOver(box, mainWindow));
    QVERIFY(box.pos() != shown);
}

void TestFrmApropos::trimmingKeepsTheValueBeforeItsFinalNul_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("read");
    QTest::addColumn<QByteArray>("kept");
    // clang-format off
    QTest::newRow("text ended by NUL")  << QByteArray("C:\\outil\0\0\0", 11) << 9 << true << QByteArray("C:\\outil");
    QTest::newRow("text without NUL")   << QByteArray("abcd\0\0", 6) << 4 << true  << QByteArray("abcd");
    QTest::newRow("NUL inside is kept") << QByteArray("ab\0d\0", 5)  << 4 << true  << QByteArray("ab\0d", 4);
    QTest::newRow("a single NUL")       << QByteArray("\0\0", 2)     << 1 << true  << QByteArray("");
    QTest::newRow("size 0 fails")       << QByteArray("abc\0", 4)    << 0 << false << QByteArray();
    // clang-format on
}

void TestFrmApropos::trimmingKeepsTheValueBeforeItsFinalNul()
{
    QFETCH(QByteArray, buffer);
    QFETCH(int, size);
    QFETCH(bool, read);
    QFETCH(QByteArray, kept);
    const std::optional<QByteArray> result = Registry::trimToSize(buffer, static_cast<quint32>(size));
    QCOMPARE(result.has_value(), read);
    if (read)
        QCOMPARE(*result, kept);
}

void TestFrmApropos::getKeyValueReadsEachKindOfValue_data()
{
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<quint32>("access"); // the rights the key opens with; 0 stores no key at all
    QTest::addColumn<QString>("result"); // "true", "false" or "error"
    QTest::addColumn<QString>("keyVal"); // "avant" on entry

    const quint32 all = Registry::AllAccess;
    // clang-format off
    QTest::newRow("text with its NUL") << Registry::TypeText << QByteArray("C:\\Syst\xe8me\0", 11) << all
                                       << "true" << QString::fromUtf8("C:\\Système");
    QTest::newRow("32-bit number")     << Registry::TypeNumber << QByteArray("\x2b\x1a\0\0", 4) << all
                                       << "true" << "&h1A2B";
    QTest::newRow("other type keeps the text") << Registry::TypeBinary << QByteArray("\x01", 1) << all
                                               << "true" << "avant";
    QTest::newRow("size 0 fails")      << Registry::TypeText << QByteArray() << all << "error" << "avant";
    QTest::newRow("no such key")       << Registry::TypeText << QByteArray("x") << 0u << "false" << "";
    QTest::newRow("key that only opens for reading") << Registry::TypeText << QByteArray("x")
                                                     << Registry::ReadAccess << "false" << "";
    // clang-format on
}

void TestFrmApropos::getKeyValueReadsEachKindOfValue()
{
    QFETCH(quint32, type);
    QFETCH(QByteArray, data);
    QFETCH(quint32, access);
    QFETCH(QString, result);
    QFETCH(QString, keyVal);
    if (access != 0) {
        Registry::setValueForTests(Registry::LocalMachine, ToolKey, QStringLiteral("PATH"), type, data);
        Registry::setKeyAccessForTests(Registry::LocalMachine, ToolKey, access);
    }
    QString value = QStringLiteral("avant");
    QString outcome = QStringLiteral("error");
    try {
        // Key and value names are found whatever their letter case.
        outcome = frmApropos::GetKeyValue(Registry::LocalMachine, ToolKey.toLower(), "Path", value) ? "true"
                                                                                                    : "false";
    } catch (const Registry::Error &) {
    }
    QCOMPARE(outcome, result);
    QCOMPARE(value, keyVal);
    QCOMPARE(Registry::openKeyCountForTests(), 0);
}

void TestFrmApropos::systemInfoToolIsFoundOrTheMessageShown_data()
{
    QTest::addColumn<QList<StoredValue>>("registry");
    QTest::addColumn<QStringList>("onPath");
    QTest::addColumn<bool>("launchWorks");
    // The programs whose start was tried: "$folder" is the folder named by the registry, which holds the
    // tool, "$path" the folder of the fake PATH. The message is shown when nothing started.
    QTest::addColumn<QStringList>("tried");

    const StoredValue path{ToolKey, "PATH", Registry::TypeText, QByteArray("/opt/outil/infos\0", 17)};
    const StoredValue folder{ToolFolderKey, "MSINFO", Registry::TypeText, QByteArray("$folder")};
    const StoredValue emptyFolder{ToolFolderKey, "MSINFO", Registry::TypeText, QByteArray("/nulle/part")};
    const StoredValue sizeZero{ToolKey, "PATH", Registry::TypeText, QByteArray()};
    const QStringList programs = {"kinfocenter", "hardinfo", "gnome-system-monitor"};
    using Values = QList<StoredValue>;
    // clang-format off
    QTest::newRow("registry names the tool")      << Values{path, folder} << programs << true
                                                  << QStringList{"/opt/outil/infos"};
    QTest::newRow("named tool fails: no other")   << Values{path, folder} << programs << false
                                                  << QStringList{"/opt/outil/infos"};
    QTest::newRow("tool in the folder named")     << Values{folder} << programs << true
                                                  << QStringList{"$folder/MSINFO32.EXE"};
    QTest::newRow("folder without it: the PATH")  << Values{emptyFolder} << programs << true
                                                  << QStringList{"$path/hardinfo"};
    QTest::newRow("no key: first program in order") << Values{} << QStringList{"gnome-system-monitor", "cpu-x"}
                                                    << true << QStringList{"$path/cpu-x"};
    QTest::newRow("tool not found")               << Values{} << QStringList{} << true << QStringList{};
    QTest::newRow("size 0 ends the search")       << Values{sizeZero} << programs << true << QStringList{};
    // clang-format on
}

void TestFrmApropos::systemInfoToolIsFoundOrTheMessageShown()
{
    QFETCH(QList<StoredValue>, registry);
    QFETCH(QStringList, onPath);
    QFETCH(bool, launchWorks);
    QFETCH(QStringList, tried);
    Sandbox sandbox;
    QTemporaryDir toolFolder;
    QFile tool(toolFolder.filePath("MSINFO32.EXE"));
    QVERIFY(tool.open(QIODevice::WriteOnly));
    for (const StoredValue &v : registry) {
        Registry::setValueForTests(Registry::LocalMachine, v.key, v.name, v.type,
                                   QByteArray(v.data).replace("$folder", toolFolder.path().toLocal8Bit()));
    }
    FakePath path(onPath);
    for (QString &program : tried)
        program.replace("$folder", toolFolder.path()).replace("$path", path.folder());
    QStringList launched;
    setLauncherForTests([&](const QString &program) {
        launched.append(program);
        return launchWorks;
    });

    frmApropos box;
    box.show();
    box.findChild<QPushButton *>("cmdSysInfo")->click();
    QCOMPARE(launched, tried);
    if (!tried.isEmpty() && launchWorks) {
        QVERIFY(sandbox.messages.isEmpty());
    } else {
        QCOMPARE(sandbox.messages.size(), 1);
        QCOMPARE(sandbox.messages[0].text,
                 QStringLiteral("Les informations systèmes ne sont pas disponible actuellement!"));
        QCOMPARE(sandbox.messages[0].title, Texts::ApplicationTitle);
        QCOMPARE(sandbox.messages[0].buttons, MsgButtons::Ok);
        QCOMPARE(sandbox.messages[0].icon, MsgIcon::None);
    }
    QVERIFY(box.isVisible());
    QCOMPARE(Registry::openKeyCountForTests(), 0);
}

void TestFrmApropos::menuKeepsOneCopy()
{
    // One copy at a time, over the main window and not blocking it; OK, Enter and Escape each close and
    // destroy it, and the next opening builds a new one.
    Sandbox sandbox;
    sandbox.copyShippedFile("frappin.mot");
    sandbox.copyShippedFile("clavier.dat");
    frmMain window;
    window.setGeometry(100, 100, 642, 470);
    window.show();
    auto boxes = [] {
        QList<frmApropos *> found;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<frmApropos *>(widget))
                found.append(box);
        }
        return found;
    };
    for (const int key : {0, int(Qt::Key_Return), int(Qt::Key_Escape)}) {
        window.mnuApropos_Click();
        QPointer<frmApropos> box = boxes().value(0);
        QVERIFY(box && box->isVisible() && !box->isModal() && !box->parentWidget());
        QVERIFY(centredOver(*box, window));
        window.mnuApropos_Click();
        QCOMPARE(boxes(), QList<frmApropos *>{box.data()});
        if (key == 0)
            box->findChild<QPushButton *>("cmdOK")->click();
        else
            QTest::keyClick(box, static_cast<Qt::Key>(key));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(box.isNull());
    }
    QVERIFY(sandbox.messages.isEmpty());
}

FRAPPIN_TEST_MAIN(TestFrmApropos)
#include "tst_frmapropos.moc"
