#include "settings/dictationchoice.h"

#include "common/controlname.h"
#include "common/messagebox.h"
#include "settings/store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QSignalBlocker>

void addDictationChoice(QDialog *dialog, QComboBox *sound)
{
    constexpr int Band = 44;
    const int width = dialog->width();
    const int top = dialog->height();
    dialog->setFixedSize(width, top + Band);

    auto *choice = named(new QCheckBox(QStringLiteral("Dictée : le mot est dit, pas montré"), dialog),
                         "saisieDictee", QStringLiteral("Dictée : le mot est dit, pas montré"));
    choice->setGeometry(8, top, width - 16, 20);
    choice->setChecked(Store::switchedOn(Store::Dictee));
    auto *reason =
        named(new QLabel(QStringLiteral("Il faut le son : «\u00A0Activation du son : Oui\u00A0»."), dialog),
              "DicteeSansSon");
    reason->setGeometry(28, top + 20, width - 36, 18);

    const auto follow = [choice, reason, sound] {
        const bool withSound = sound->currentIndex() == 1;
        choice->setEnabled(withSound);
        reason->setVisible(!withSound);
        choice->setAccessibleDescription(withSound ? QString() : reason->text());
    };
    follow();
    QObject::connect(sound, &QComboBox::currentIndexChanged, choice, follow);
    QObject::connect(choice, &QCheckBox::toggled, choice, [choice](bool on) {
        if (Store::write(Store::Frappin, Store::Demarrage, Store::Dictee,
                         on ? QStringLiteral("1") : QStringLiteral("0")))
            return;
        showMessage(QStringLiteral("La dictée n'a pas pu être réglée : le fichier des réglages de Frappin ne "
                                   "peut pas être écrit."),
                    QStringLiteral("Paramètres"), MsgButtons::Ok, MsgIcon::Exclamation, choice->window());
        const QSignalBlocker blocker(choice);
        choice->setChecked(!on);
    });
}
