#include "settings/pathchoice.h"

#include "common/controlname.h"
#include "common/messagebox.h"
#include "settings/store.h"
#include "words/path.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QSignalBlocker>

namespace {

constexpr int Grades[] = {16, 18, 20};

// A choice the store cannot take is told, and the control shows again what is stored.
bool stored(QWidget *control, const QString &key, const QString &value)
{
    if (Store::write(Store::Frappin, Store::Demarrage, key, value))
        return true;
    showMessage(QStringLiteral("Ce choix n'a pas pu être enregistré : le fichier des réglages de Frappin ne "
                               "peut pas être écrit.\rLes exercices gardent le réglage précédent."),
                QStringLiteral("Paramètres"), MsgButtons::Ok, MsgIcon::Exclamation, control->window());
    return false;
}

} // namespace

void addPathChoice(QDialog *dialog)
{
    constexpr int Band = 66;
    const int width = dialog->width();
    const int top = dialog->height();
    dialog->setFixedSize(width, top + Band);

    const QString text = QStringLiteral("Parcours : chaque élève à sa leçon");
    auto *choice = named(new QCheckBox(text, dialog), "saisieParcours", text);
    choice->setGeometry(8, top, width - 16, 20);
    choice->setChecked(Store::switchedOn(Store::Parcours));
    auto *label = named(new QLabel(QStringLiteral("Note à avoir 2 fois de suite :"), dialog), "LabelNote");
    label->setGeometry(28, top + 22, width - 120, 22);
    auto *grade = named(new QComboBox(dialog), "saisieNotePourPasser",
                        QStringLiteral("Note à avoir 2 fois de suite pour passer une leçon"));
    grade->setGeometry(width - 88, top + 22, 80, 22);
    for (const int g : Grades)
        grade->addItem(QStringLiteral("%1/20").arg(g), g);
    grade->setCurrentIndex(grade->findData(
        Path::gradeToReach(Store::read(Store::Frappin, Store::Demarrage, Store::NotePourPasser, QString()))));
    label->setBuddy(grade);
    auto *note = named(new QLabel(QStringLiteral("Le fichier de référence n'est alors pas utilisé."), dialog),
                       "ParcoursSansFichier");
    note->setGeometry(28, top + 45, width - 36, 18);

    const auto follow = [=] {
        label->setEnabled(choice->isChecked());
        grade->setEnabled(choice->isChecked());
        note->setVisible(choice->isChecked());
    };
    follow();
    QObject::connect(choice, &QCheckBox::toggled, choice, [=](bool on) {
        if (!stored(choice, Store::Parcours, on ? QStringLiteral("1") : QStringLiteral("0"))) {
            const QSignalBlocker blocker(choice);
            choice->setChecked(!on);
        }
        follow();
    });
    // A refused choice shows the grade stored before again, even when the store cannot be read back either.
    QObject::connect(grade, &QComboBox::currentIndexChanged, grade,
                     [=, shown = grade->currentIndex()](int index) mutable {
                         if (stored(grade, Store::NotePourPasser, grade->itemData(index).toString())) {
                             shown = index;
                             return;
                         }
                         const QSignalBlocker blocker(grade);
                         grade->setCurrentIndex(shown);
                     });
}
