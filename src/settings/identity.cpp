#include "settings/identity.h"

#include "common/text.h"
#include "settings/store.h"

namespace Identity {

Pupil normalised(const Pupil &pupil)
{
    // Composed (NFC) like every name Frappin reads: "Démarrage" typed with a combining accent is the
    // teacher's section, and "Léa" the same pupil whichever way her é was typed.
    const auto composed = [](const QString &text) { return text.normalized(QString::NormalizationForm_C); };
    Pupil out{composed(pupil.prenom.trimmed()), composed(pupil.nom.trimmed()),
              composed(trimBlanks(pupil.eleve))};
    if (out.eleve.isEmpty())
        out.eleve = trimBlanks(out.prenom + u' ' + out.nom);
    return out;
}

QString problem(const Pupil &pupil)
{
    const Pupil p = normalised(pupil);
    if (p.prenom.isEmpty() || p.nom.isEmpty())
        return QStringLiteral("le prénom et le nom sont obligatoires.");
    if (p.eleve == Store::Demarrage || p.eleve.contains(u'/') || p.eleve.contains(u'\\'))
        return QStringLiteral("le nom des résultats ne peut pas être « %1 » ni contenir / ou \\.")
            .arg(Store::Demarrage);
    return QString();
}

bool write(const Pupil &pupil, const QString &photos)
{
    if (!problem(pupil).isEmpty())
        return false;
    const Pupil p = normalised(pupil);
    // One write: a failure part-way must never pair the new first name with the previous pupil's results.
    bool written = Store::write(Store::Frappin, Store::Demarrage,
                                {{Store::Prenom, p.prenom}, {Store::Nom, p.nom}, {Store::Derniere, p.eleve}});
    if (written && !photos.isEmpty())
        written = Store::write(Store::Configuration, Store::SectionFichier, Store::Eleves, photos);
    return written;
}

} // namespace Identity
