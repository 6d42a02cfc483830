#include "classwindow.h"

#include "classtab.h"
#include "companion.h"
#include "resultstab.h"

#include "common/messagebox.h"
#include "common/platform.h"
#include "settings/codedialog.h"
#include "settings/identity.h"
#include "settings/store.h"
#include "settings/teachercode.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>

#include <csignal>

namespace {

enum Tab { ClassPage, PickerPage, ResultsPage };

} // namespace

void tell(QWidget *parent, const QString &text)
{
    showMessage(text, CompanionTitle, MsgButtons::Ok, MsgIcon::Exclamation, parent);
}

QString frappinProgram()
{
    const QDir here(programFolder());
    for (const QString &path : {here.filePath(QStringLiteral("frappin")),
                                here.filePath(QStringLiteral("../lib/frappin/frappin"))}) {
        if (QFileInfo(path).isExecutable() && QFileInfo(path).isFile())
            return QDir::cleanPath(path);
    }
    return QDir::cleanPath(here.filePath(QStringLiteral("../lib/frappin/frappin")));
}

QString frappinFolder()
{
    const QFileInfo folder(QFileInfo(frappinProgram()).absolutePath());
    return folder.isDir() ? folder.filePath() : programFolder();
}

ClassWindow::ClassWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(CompanionTitle);
    QString error;
    m_class = new ClassTab(ClassList::load(&error));
    m_picker = new PickerTab([this](const ClassPupil &pupil) { return choosePupil(pupil); });
    m_results = new ResultsTab;
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(lockable(m_class), QStringLiteral("La &classe"));
    m_tabs->addTab(m_picker, QStringLiteral("À &qui le tour ?"));
    m_tabs->addTab(lockable(m_results), QStringLiteral("&Résultats"));
    setCentralWidget(m_tabs);
    connect(m_tabs, &QTabWidget::currentChanged, this, &ClassWindow::tabChosen);
    auto *quit = new QAction(QStringLiteral("Quitter"), this);
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    addAction(quit);
    // With a teacher's code, the window opens on the pupils' screen, the teacher's side shut.
    if (TeacherCode::state() != TeacherCode::State::None)
        m_tabs->setCurrentIndex(PickerPage);
    // Whole on a screen of 1024 by 768 with a panel and the title bar; wider where the screen allows, for the
    // class table's lessons beside the pupil's panel.
    resize(QSize(1180, 700).boundedTo(screen()->availableGeometry().size() - QSize(0, 40)));
    if (!error.isEmpty())
        QTimer::singleShot(0, this, [this, error] { tell(this, error); });
}

// The teacher's tabs stand behind a notice while the teacher's side is shut.
QWidget *ClassWindow::lockable(QWidget *page)
{
    auto *stack = new QStackedWidget;
    auto *notice = new QLabel(QStringLiteral("Cet onglet est réservé à l'enseignant."), stack);
    notice->setAlignment(Qt::AlignCenter);
    stack->addWidget(notice);
    stack->addWidget(page);
    stack->setCurrentIndex(1);
    m_locks.append(stack);
    return stack;
}

void ClassWindow::tabChosen(int index)
{
    if (index == PickerPage) {
        // Once the pupils have their screen, the teacher's side needs the code again.
        const bool open = TeacherCode::state() == TeacherCode::State::None;
        for (QStackedWidget *stack : std::as_const(m_locks))
            stack->setCurrentIndex(open ? 1 : 0);
        return m_picker->refresh(m_class->pupils());
    }
    if (m_locks.constFirst()->currentIndex() == 0) {
        if (!askTeacherCode(this, index == ClassPage ? QStringLiteral("la classe")
                                                     : QStringLiteral("les résultats")))
            return m_tabs->setCurrentIndex(PickerPage);
        for (QStackedWidget *stack : std::as_const(m_locks))
            stack->setCurrentIndex(1);
    }
    if (index == ResultsPage)
        m_results->refresh(m_class->pupils());
}

QString ClassWindow::choosePupil(const ClassPupil &pupil)
{
    if (!Identity::write({pupil.prenom, pupil.nom, pupil.eleve}))
        return QStringLiteral(
                   "Le réglage de l'élève n'a pas pu être écrit (fichier des réglages de Frappin) : ") +
               Store::writeError();
    const QString program = frappinProgram();
    // Only the process this window started, and only while it is still that program.
    if (m_frappinPid > 0 && QFileInfo(QStringLiteral("/proc/%1/exe").arg(m_frappinPid)).canonicalFilePath() ==
                                QFileInfo(program).canonicalFilePath())
        ::kill(static_cast<pid_t>(m_frappinPid), SIGTERM);
    m_frappinPid = 0;
    if (!QProcess::startDetached(program, {}, QFileInfo(program).absolutePath(), &m_frappinPid))
        return QStringLiteral("Frappin n'a pas pu être lancé (%1).").arg(QDir::toNativeSeparators(program));
    return QString();
}
