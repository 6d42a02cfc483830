#include "words/lessonplace.h"

#include "settings/store.h"
#include "words/lessons.h"

namespace LessonPlace {

Place of(const QString &pupil, const QStringList &lessons)
{
    Place place;
    place.count = static_cast<int>(lessons.size());
    // One reading of the file for the three values, as a class table reads it once a pupil.
    const QStringList read = Store::read(
        Store::Frappin, {{pupil, Store::Permis}, {pupil, Store::Lecon}, {Store::Demarrage, Store::Parcours}});
    place.permis = read.at(0).trimmed();
    const QString &stored = read.at(1);
    if (stored.isEmpty() && !Store::isOn(read.at(2)))
        return place;
    place.lesson = Lessons::current(lessons, stored);
    place.number = Lessons::number(lessons, place.lesson);
    return place;
}

QString lessonText(const Place &place)
{
    return place.number > 0 ? QStringLiteral("%1. %2").arg(place.number).arg(Lessons::title(place.lesson))
                            : QString();
}

QString permisText(const Place &place)
{
    if (place.permis.isEmpty())
        return {};
    const QDate day = QDate::fromString(place.permis, Qt::ISODate);
    return day.isValid() ? day.toString(QStringLiteral("dd/MM/yyyy")) : QStringLiteral("oui");
}

} // namespace LessonPlace
