#include "settings/codedialog.h"

#include "common/messagebox.h"
#include "settings/store.h"
#include "settings/teachercode.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString Title = QStringLiteral("Code de l'enseignant");

QLineEdit *codeField(QDialog *dialog, const QString &name)
{
    auto *field = new QLineEdit(dialog);
    field->setObjectName(name);
    field->setEchoMode(QLineEdit::Password);
    return field;
}

// A line in red that says what went wrong, hidden until then.
QLabel *errorLine(QDialog *dialog)
{
    auto *line = new QLabel(dialog);
    line->setObjectName(QStringLiteral("erreur"));
    line->setStyleSheet(QStringLiteral("color: #b00020; font-weight: bold;"));
    line->hide();
    return line;
}

void say(QLabel *line, const QString &text)
{
    line->setText(text);
    line->show();
}

} // namespace

bool askTeacherCode(QWidget *parent, const QString &opening)
{
    const TeacherCode::State state = TeacherCode::state();
    if (state == TeacherCode::State::None)
        return true;
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("codeEnseignant"));
    dialog.setWindowTitle(Title);
    auto *form = new QFormLayout(&dialog);
    auto *intro = new QLabel(
        QStringLiteral("Le code de l'enseignant est demandé pour ouvrir %1.").arg(opening), &dialog);
    form->addRow(intro);
    QLineEdit *code = codeField(&dialog, QStringLiteral("code"));
    form->addRow(QStringLiteral("&Code :"), code);
    QLabel *error = errorLine(&dialog);
    form->addRow(error);
    if (state == TeacherCode::State::Damaged)
        say(error,
            QStringLiteral("Le code enregistré est abîmé : aucun code ne peut l'ouvrir.\nPour repartir "
                           "sans code, retirez la ligne « Code=... » de la section [Enseignant]\ndu "
                           "fichier %1.")
                .arg(QDir::toNativeSeparators(Store::filePath(Store::Configuration))));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (TeacherCode::matches(code->text()))
            return dialog.accept();
        code->clear();
        code->setFocus();
        if (state == TeacherCode::State::Set)
            say(error, QStringLiteral("Ce n'est pas le bon code. Essayez encore, ou Annuler."));
    });
    dialog.setMinimumWidth(440);
    return dialog.exec() == QDialog::Accepted;
}

void editTeacherCode(QWidget *parent)
{
    const bool wasSet = TeacherCode::state() != TeacherCode::State::None;
    if (wasSet && !askTeacherCode(parent, QStringLiteral("le changer ou le retirer")))
        return;
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("choixCode"));
    dialog.setWindowTitle(Title);
    auto *form = new QFormLayout(&dialog);
    auto *intro =
        new QLabel(QStringLiteral("Le code sera demandé avant d'ouvrir la classe, les résultats, les\n"
                                  "paramètres et la liste de mots. « À qui le tour ? » et les exercices\n"
                                  "restent libres."),
                   &dialog);
    form->addRow(intro);
    QLineEdit *code = codeField(&dialog, QStringLiteral("nouveau"));
    QLineEdit *again = codeField(&dialog, QStringLiteral("encore"));
    form->addRow(QStringLiteral("&Nouveau code :"), code);
    form->addRow(QStringLiteral("Le même, &encore une fois :"), again);
    QLabel *error = errorLine(&dialog);
    form->addRow(error);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Save)->setText(QStringLiteral("&Enregistrer"));
    QPushButton *remove =
        wasSet ? buttons->addButton(QStringLiteral("&Retirer le code"), QDialogButtonBox::DestructiveRole)
               : nullptr;
    form->addRow(buttons);
    const QString unwritten = QStringLiteral("Le code n'a pas pu être enregistré dans %1.")
                                  .arg(QDir::toNativeSeparators(Store::filePath(Store::Configuration)));
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        QString problem = TeacherCode::problem(code->text());
        if (problem.isEmpty() && code->text() != again->text())
            problem = QStringLiteral("Les deux codes ne sont pas les mêmes.");
        if (!problem.isEmpty())
            return say(error, problem);
        if (!TeacherCode::set(code->text()))
            return say(error, unwritten);
        dialog.accept();
        showMessage(QStringLiteral("Le code de l'enseignant est enregistré."), Title, MsgButtons::Ok,
                    MsgIcon::None, parent);
    });
    if (remove) {
        remove->setObjectName(QStringLiteral("retirer"));
        QObject::connect(remove, &QPushButton::clicked, &dialog, [&] {
            if (!TeacherCode::remove())
                return say(error, unwritten);
            dialog.accept();
            showMessage(QStringLiteral("Le code de l'enseignant est retiré : plus rien ne le demande."),
                        Title, MsgButtons::Ok, MsgIcon::None, parent);
        });
    }
    dialog.setMinimumWidth(480);
    dialog.exec();
}
