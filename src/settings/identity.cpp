#include "settings/identity.h"

#include "common/text.h"
#include "settings/store.h"

namespace Identity {

Pupil normalised(const Pupil &pupil)
{
    Pupil out{pupil.prenom.trimmed(), pupil.nom.trimmed(), trimBlanks(pupil.eleve)};
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
    bool written = Store::write(Store::Frappin, Store::Demarrage, Store::Prenom, p.prenom) &&
                   Store::write(Store::Frappin, Store::Demarrage, Store::Nom, p.nom) &&
                   Store::write(Store::Frappin, Store::Demarrage, Store::Derniere, p.eleve);
    if (written && !photos.isEmpty())
        written = Store::write(Store::Configuration, Store::SectionFichier, Store::Eleves, photos);
    return written;
}

} // namespace Identity
