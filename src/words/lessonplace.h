#pragma once

// A pupil's place on the path as the teacher's tools read it from the pupil's section: the lesson (number
// and title) and the "permis clavier". The companion's tables, its "À qui le tour ?" screen and
// frappin-eleve all print it from here, so that they never disagree.

#include <QDate>
#include <QString>
#include <QStringList>

namespace LessonPlace {

struct Place {
    QString lesson;      // the lesson's file name, empty when the pupil is on no lesson
    int number = 0;      // 1-based, 0 with no lesson
    int count = 0;       // the lessons there are
    QString permis = {}; // as stored ("Permis="), empty before it is earned
};

// With the path off, a pupil is on a lesson only when one was stored for them (the teacher may place the
// class before turning the path on); with the path on, the lesson the pupil's series draw from.
Place of(const QString &pupil, const QStringList &lessons);
// "3. rangée du bas", or the empty text with no lesson.
QString lessonText(const Place &place);
// The day the permis was earned, "05/12/2026"; "oui" when what is stored is no date; empty before.
QString permisText(const Place &place);

} // namespace LessonPlace
