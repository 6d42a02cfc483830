#include "words/lessonplace.h"

#include "settings/store.h"
#include "words/lessons.h"

namespace LessonPlace {

Place of(const QString &pupil, const QStringList &lessons)
{
    Place place;
    place.count = static_cast<int>(lessons.size());
    place.permis = Store::read(Store::Frappin, pupil, Store::Permis, QString()).trimmed();
    const QString stored = Store::read(Store::Frappin, pupil, Store::Lecon, QString());
    if (stored.isEmpty() && !Store::switchedOn(Store::Parcours))
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
