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

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QScopeGuard>
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

} // namespace

class TestFrmApropos : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        Registry::clearForTests();
        setLauncherForTests({});
    }

    // The box names the program with its version 1.0.0, describes it, and shows the program's picture.
    void boxShowsTheProgramAndItsVersion()
    {
        Sandbox sandbox;
        frmApropos box;
        QCOMPARE(box.windowTitle(), Texts::ApplicationTitle);
        QCOMPARE(label(&box, "lblTitle"), QStringLiteral("Divod Ivodedod - Frappin v1.0.0"));
        // The description, an empty line, then the five contact lines.
        const QStringList lines = label(&box, "lblDescription").split(u'\n');
        QCOMPARE(lines.size(), 7);
        QCOMPARE(lines[0], QStringLiteral("Progrmmes d 'aide pédagogique pour Divod ivodedod."));
        QCOMPARE(lines[1], QString());
        QVERIFY(box.findChild<PictureBox *>("picIcon")->hasPicture());
        QVERIFY(box.property(frmMain::OwnDialogProperty).toBool());
    }

    void boxIsCentredOverTheMainWindow_data()
    {
        QTest::addColumn<QRect>("main");
        QTest::newRow("larger main window") << QRect(100, 50, 701, 403);
        QTest::newRow("odd margins") << QRect(0, 0, 304, 206);
        QTest::newRow("main window smaller than the box") << QRect(400, 300, 101, 3);
        QTest::newRow("main window partly off the screen") << QRect(-200, -100, 501, 403);
    }
    // The box is centred over the main window when built, shown and resized, but not when that moves.
    void boxIsCentredOverTheMainWindow()
    {
        QFETCH(QRect, main);
        Sandbox sandbox;
        QWidget mainWindow;
        mainWindow.setGeometry(main);
        frmApropos box(&mainWindow);
        QVERIFY(centredOver(box, mainWindow));
        box.show();
        QVERIFY(centredOver(box, mainWindow));

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

    void trimmingKeepsTheValueBeforeItsFinalNul_data()
    {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QByteArray>("kept");
        // clang-format off
        QTest::newRow("ended by NUL")    << QByteArray("outil\0\0\0", 8) << 6 << true << QByteArray("outil");
        QTest::newRow("no NUL")          << QByteArray("abcd\0\0", 6) << 4 << true << QByteArray("abcd");
        QTest::newRow("NUL inside kept") << QByteArray("ab\0d\0", 5) << 4 << true << QByteArray("ab\0d", 4);
        QTest::newRow("a single NUL")    << QByteArray("\0\0", 2) << 1 << true << QByteArray("");
        QTest::newRow("size 0 fails")    << QByteArray("abc\0", 4) << 0 << false << QByteArray();
        // clang-format on
    }
    // A value read keeps its first "size" bytes less a final NUL; a value of size 0 is a failure.
    void trimmingKeepsTheValueBeforeItsFinalNul()
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

    void getKeyValueReadsEachKindOfValue_data()
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
        QTest::newRow("size 0 fails") << Registry::TypeText << QByteArray()    << all << "error" << "avant";
        QTest::newRow("no such key")  << Registry::TypeText << QByteArray("x") << 0u  << "false" << "";
        QTest::newRow("key that only opens for reading") << Registry::TypeText << QByteArray("x")
                                                         << Registry::ReadAccess << "false" << "";
        // clang-format on
    }
    // GetKeyValue reads each type of value, fails on a key it cannot open, and closes every key.
    void getKeyValueReadsEachKindOfValue()
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
            const bool found =
                frmApropos::GetKeyValue(Registry::LocalMachine, ToolKey.toLower(), "Path", value);
            outcome = found ? "true" : "false";
        } catch (const Registry::Error &) {
        }
        QCOMPARE(outcome, result);
        QCOMPARE(value, keyVal);
        QCOMPARE(Registry::openKeyCountForTests(), 0);
    }

    void systemInfoToolIsFoundOrTheMessageShown_data()
    {
        QTest::addColumn<QList<StoredValue>>("registry");
        QTest::addColumn<QStringList>("onPath");
        QTest::addColumn<bool>("launchWorks");
        // The programs whose start was tried, separated by "|": "$tool" is the tool in the folder "$folder"
        // the registry names, "$path" the folder of the fake PATH. The message is shown when nothing started.
        QTest::addColumn<QString>("tried");

        const StoredValue path{ToolKey, "PATH", Registry::TypeText, QByteArray("/opt/outil/infos\0", 17)};
        const StoredValue folder{ToolFolderKey, "MSINFO", Registry::TypeText, QByteArray("$folder")};
        const StoredValue elsewhere{ToolFolderKey, "MSINFO", Registry::TypeText, QByteArray("/nulle/part")};
        const StoredValue sizeZero{ToolKey, "PATH", Registry::TypeText, QByteArray()};
        const QStringList debian = {"kinfocenter", "hardinfo", "gnome-system-monitor"};
        const QStringList others = {"gnome-system-monitor", "cpu-x"};
        using Values = QList<StoredValue>;
        // clang-format off
        QTest::newRow("registry names it")   << Values{path, folder} << debian << true  << "/opt/outil/infos";
        QTest::newRow("it fails: no other")  << Values{path, folder} << debian << false << "/opt/outil/infos";
        QTest::newRow("in its folder")       << Values{folder}       << debian << true  << "$tool";
        QTest::newRow("not there: the PATH") << Values{elsewhere}    << debian << true  << "$path/hardinfo";
        QTest::newRow("first in order")      << Values{}             << others << true  << "$path/cpu-x";
        QTest::newRow("tool not found")      << Values{}             << QStringList{} << true << "";
        QTest::newRow("size 0 ends it")      << Values{sizeZero}     << debian << true  << "";
        // clang-format on
    }
    // The tool the registry names, else one found on the PATH, is started; if none starts, it is told.
    void systemInfoToolIsFoundOrTheMessageShown()
    {
        QFETCH(QList<StoredValue>, registry);
        QFETCH(QStringList, onPath);
        QFETCH(bool, launchWorks);
        QFETCH(QString, tried);
        Sandbox sandbox;
        QTemporaryDir toolFolder;
        QFile tool(toolFolder.filePath("MSINFO32.EXE"));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        for (const StoredValue &v : registry) {
            Registry::setValueForTests(
                Registry::LocalMachine, v.key, v.name, v.type,
                QByteArray(v.data).replace("$folder", toolFolder.path().toLocal8Bit()));
        }
        // The PATH is a folder of fake programs while the box looks for one.
        QTemporaryDir path;
        for (const QString &name : onPath) {
            QFile program(path.filePath(name));
            QVERIFY(program.open(QIODevice::WriteOnly) && program.setPermissions(QFile::ExeOwner));
        }
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", path.path().toLocal8Bit());
        const auto restorePath = qScopeGuard([&] { qputenv("PATH", savedPath); });
        tried.replace("$tool", toolFolder.filePath("MSINFO32.EXE")).replace("$path", path.path());
        QStringList launched;
        setLauncherForTests([&](const QString &program) {
            launched.append(program);
            return launchWorks;
        });

        frmApropos box;
        box.show();
        box.findChild<QPushButton *>("cmdSysInfo")->click();
        QCOMPARE(launched.join(u'|'), tried);
        const MessageRequest notAvailable{
            QStringLiteral("Les informations systèmes ne sont pas disponible actuellement!"),
            Texts::ApplicationTitle};
        QCOMPARE(sandbox.messages, !tried.isEmpty() && launchWorks ? QList<MessageRequest>()
                                                                   : QList<MessageRequest>{notAvailable});
        QVERIFY(box.isVisible());
        QCOMPARE(Registry::openKeyCountForTests(), 0);
    }

    // The menu entry shows one centred copy at a time, which OK, Enter and Escape each destroy.
    void menuKeepsOneCopy()
    {
        Sandbox sandbox;
        sandbox.copyShippedData();
        frmMain window;
        window.setGeometry(100, 100, 642, 470);
        window.show();
        for (const int key : {0, int(Qt::Key_Return), int(Qt::Key_Escape)}) {
            window.mnuApropos_Click();
            QPointer<frmApropos> box = topLevels<frmApropos>().value(0);
            QVERIFY(box && box->isVisible() && !box->isModal() && !box->parentWidget());
            QVERIFY(centredOver(*box, window));
            window.mnuApropos_Click();
            QCOMPARE(topLevels<frmApropos>(), QList<frmApropos *>{box.data()});
            if (key == 0)
                box->findChild<QPushButton *>("cmdOK")->click();
            else
                QTest::keyClick(box, static_cast<Qt::Key>(key));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(box.isNull());
        }
        QVERIFY(sandbox.messages.isEmpty());
    }
};

FRAPPIN_TEST_MAIN(TestFrmApropos)
#include "tst_frmapropos.moc"
