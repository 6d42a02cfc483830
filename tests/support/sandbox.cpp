#include "support/sandbox.h"

#include "common/platform.h"
#include "common/values.h"
#include "history/history.h"
#include "settings/store.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef FRAPPIN_COVERAGE
// Writes the counters of a child process that ends with _exit(). Declared strong: a weak reference would not
// take the function out of libgcov's archive.
extern "C" void __gcov_dump();
#endif

namespace {

QTemporaryDir *configDir = nullptr;

} // namespace

namespace TestSupport {

void prepareProcess()
{
    configDir = new QTemporaryDir();
    qputenv("XDG_CONFIG_HOME", configDir->path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (configDir->path() + QStringLiteral("/data")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

QString configFolder()
{
    return configDir->path() + QStringLiteral("/frappin");
}

} // namespace TestSupport

Sandbox::Sandbox()
{
    QDir(TestSupport::configFolder()).removeRecursively();
    QDir(History::folder()).removeRecursively();
    QFile::remove(History::folder()); // a test may put a file in its way
    setProgramFolderForTests(m_folder.path());
    setClockForTests({});
    setRandomForTests({});
    resetValues();
    setMessageHandlerForTests([this](const MessageRequest &request) {
        messages.append(request);
        if (request.buttons == MsgButtons::Ok)
            return MsgAnswer::Ok;
        return answers.isEmpty() ? MsgAnswer::Yes : answers.takeFirst();
    });
}

Sandbox::~Sandbox()
{
    setMessageHandlerForTests({});
    setProgramFolderForTests({});
    setClockForTests({});
    setRandomForTests({});
    resetValues();
}

void Sandbox::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile file(path(name));
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

void Sandbox::copyShippedFile(const QString &name) const
{
    QFile::remove(path(name));
    QVERIFY(QFile::copy(QStringLiteral(FRAPPIN_RESOURCES_DIR "/") + name, path(name)));
}

void Sandbox::copyShippedData() const
{
    copyShippedFile(QStringLiteral("frappin.mot"));
    copyShippedFile(QStringLiteral("clavier.dat"));
}

bool operator==(const MessageRequest &a, const MessageRequest &b)
{
    return a.text == b.text && a.title == b.title && a.buttons == b.buttons && a.icon == b.icon;
}

QDebug operator<<(QDebug debug, const MessageRequest &request)
{
    const QDebugStateSaver saver(debug);
    return debug.nospace() << "MessageRequest(" << request.title << ", " << request.text << ", "
                           << (request.buttons == MsgButtons::Ok ? "OK" : "Yes/No") << ", "
                           << (request.icon == MsgIcon::None ? "no icon" : "exclamation") << ')';
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<unreadable>");
}

QString readSetting(const QString &key, const QString &section)
{
    return Store::read(Store::Frappin, section, key, QStringLiteral("<absent>"));
}

int asOrdinaryUser(const std::function<int()> &check)
{
    if (geteuid() != 0)
        return check();
    const passwd *nobody = getpwnam("nobody");
    if (!nobody)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        // Only the effective ids change, so that the child can take root's rights back to write its coverage
        // counters into the build folder; every permission check uses the effective ids.
        if (setgroups(0, nullptr) != 0 || setegid(nobody->pw_gid) != 0 || seteuid(nobody->pw_uid) != 0)
            _exit(255);
        const int result = check();
        // The counters are written as root, without the soft file-size limit a check may have set.
#ifdef FRAPPIN_COVERAGE
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
        if (seteuid(0) == 0 && setrlimit(RLIMIT_FSIZE, &unlimited) == 0)
            __gcov_dump();
#endif
        _exit(result);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

void answerCodeDialogs(QStringList codes, QStringList *said)
{
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, codes, said]() mutable {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (dialog && dialog->objectName() == QStringLiteral("codeEnseignant")) {
            // A dialog still asking once the answers are spent is cancelled: the test sees one answer more.
            const QString code = codes.isEmpty() ? QString() : codes.takeFirst();
            dialog->findChild<QLineEdit *>()->setText(code);
            dialog->findChild<QDialogButtonBox *>()
                ->button(code.isEmpty() ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok)
                ->click();
            const auto *error = dialog->findChild<QLabel *>(QStringLiteral("erreur"));
            said->append(dialog->isVisible() && error->isVisible() ? error->text() : QString());
        }
        if (codes.isEmpty() && (!dialog || !dialog->isVisible()))
            timer->deleteLater();
    });
    timer->start(5);
}

void answerFileDialog(const QString &path)
{
    // The dialog is shown and waits in its own event loop by the time the timer runs.
    QTimer::singleShot(0, qApp, [path] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            dialog->selectFile(path);
            static_cast<QDialog *>(dialog)->accept(); // QFileDialog::accept(), which checks the name
        }
    });
}
