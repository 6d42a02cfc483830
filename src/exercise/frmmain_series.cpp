// The series' flow: start-up, the load step, the start and the end of a series, the pause timer and the
// grade. The rules live in exercise/series.h; what is shown, and how, in exercise/exercisescreen.h. Two
// places are where a series meets the word lists and the pupil's results: drawWord, where a word is drawn
// from the list, and endSeries, where the grade is shown and kept.

#include "exercise/frmmain.h"

#include "common/intervaltimer.h"
#include "common/messagebox.h"
#include "common/platform.h"
#include "common/strings.h"
#include "common/text.h"
#include "common/values.h"
#include "exercise/clientarea.h"
#include "exercise/pathpanel.h"
#include "history/history.h"
#include "keyboard/expandword.h"
#include "keyboard/keytable.h"
#include "settings/store.h"
#include "sound/sound.h"
#include "words/wordlist.h"

#include <QFileInfo>
#include <QLocale>
#include <QPushButton>

#include <cmath>

namespace {

// The word of a word-list entry: its first field. An entry too long or with too many commas to be split
// still shows its word.
QString shownWord(const QString &entry)
{
    return ExpandWord(entry, values().Champs) ? values().Champs[0] : wordOfEntry(entry);
}

} // namespace

void frmMain::Form_Initialize()
{
    seedRandom();
    // The series kept while the history could not be written; a failure again is told at the end of a series.
    History::writePending();
    ChargePhrases();
    ChargeIndications();
    findTypableWords();
    Form_Load();
    m_screen->MonTexte->setText(trimBlanks(Store::derniere(QStringLiteral("<inconnue>"))));
    // Before the first series the typed text is checked too (a mistake counts), but no word can be completed.
    m_series.MotsRestants = Store::seriesLength();
    m_series.EnCours = 0;
    m_screen->BoutonDepart->setEnabled(true);
    m_screen->setMessage(Texts::Invitation);
    m_screen->setWordAreaVisible(false);
}

void frmMain::Form_Load()
{
    m_word.clear();
    m_screen->clearWord();
    if (m_series.EnCours == 0) {
        m_screen->restHand();
        return;
    }
    m_series.newWord();
    m_word = drawWord();
    showWordToType(false);
    m_screen->announce(m_dictation.dictating() ? QStringLiteral("Mot dicté : écoute-le, puis tape-le.")
                                               : QStringLiteral("Mot à taper : %1").arg(m_word));
    if (m_soundOn && !m_word.isEmpty())
        Sound::say(m_word);
    guideTypedText();
    m_screen->setWordAreaVisible(true);
}

QString frmMain::drawWord()
{
    // Every entry the keyboard can type is equally likely, the last draw included; with the path, about one
    // word in three holds a key the pupil missed lately.
    const int drawn = m_path->draw(m_typable);
    return shownWord(values().Phrases[static_cast<std::size_t>(m_typable.value(drawn))]);
}

void frmMain::findTypableWords()
{
    // A word the French keyboard cannot type (œ, an accented capital) could never be completed.
    const ProgramValues &v = values();
    m_typable.clear();
    // Without a key table (its file could not be read, which was told) no word can be judged: all count.
    const bool judged = std::any_of(v.ToucheCaractere.begin(), v.ToucheCaractere.end(),
                                    [](const QString &c) { return !c.isEmpty(); });
    for (int i = 0; i < v.NbPhrases; ++i) {
        const QString word = shownWord(v.Phrases[static_cast<std::size_t>(i)]);
        if (!judged || untypableCharacters(word, v.ToucheCaractere, v.DerniereTouche).isEmpty())
            m_typable.append(i);
    }
}

void frmMain::reloadWordList()
{
    ProgramValues &v = values();
    const QString path = wordListPath();
    if (!loadWordList(path, v.Phrases, v.NbPhrases)) {
        showMessage(Texts::ChosenListNotLoaded.arg(path), Texts::WordListTitle, MsgButtons::Ok,
                    MsgIcon::Exclamation, this);
        return;
    }
    findTypableWords();
}

void frmMain::BoutonDepart_Click()
{
    // The path: the series draws from the pupil's lesson, loaded now.
    if (m_path->startSeries())
        findTypableWords();

    // A list with no word the keyboard can type would strand the child on a word that can never be finished:
    // no series starts, and the teacher is told which list and what to do.
    if (m_typable.isEmpty()) {
        const QString list = QFileInfo(m_path->listPath()).fileName();
        showMessage(
            QStringLiteral("Aucun mot de la liste « %1 » ne peut être tapé au clavier français (liste "
                           "vide, ou mots avec œ, æ, une majuscule accentuée...) : il n'y a rien à "
                           "taper.\rL'enseignant peut vérifier la liste avec la commande "
                           "« frappin-eleve verifier %2 », la corriger dans Edition > Liste de mots, "
                           "ou en choisir une autre dans Fichier > Paramètres.")
                .arg(list, m_path->listPath()),
            Texts::WordListTitle, MsgButtons::Ok, MsgIcon::Exclamation, this);
        return;
    }
    // A word completed just before must not be counted in the new series when its pause ends.
    Timer(0)->stop();
    m_screen->setMessage({});
    m_screen->showGradeNotKept(false);
    m_screen->MonTexte->setReadOnly(false);
    readLocks();
    m_screen->MonTexte->clear();
    m_screen->BoutonDepart->setEnabled(false);
    m_series.start(Store::seriesLength(),
                   GuideLevel::parse(Store::read(Store::Frappin, Store::Demarrage, Store::Niveau, QString())),
                   currentDateTime());
    m_seriesWords = Store::seriesLength();
    // With the sound off the speech engine is never started.
    m_soundOn = Store::switchedOn(Store::Son);
    startDictation();
    Form_Load();
    updateStars();
    m_screen->MonTexte->setFocus();
}

void frmMain::mnuNouveau_Click()
{
    BoutonDepart_Click();
}

void frmMain::Timer_Timer(int index)
{
    if (index == 0) {
        Timer(0)->stop();
        m_screen->showBravo(false);
        const bool last = m_series.wordDone(m_word.size(), currentDateTime());
        updateStars();
        if (last)
            endSeries();
        else
            Form_Load();
    } else if (index == 1) {
        m_screen->hideGuide();
        Timer(1)->stop();
    }
}

void frmMain::endSeries()
{
    Timer(1)->stop();
    m_screen->setMessage(Texts::Invitation);
    m_screen->BoutonDepart->setEnabled(true);
    // The pupil as named now: the results and the history go under the same name. With no pupil named (a
    // fresh install, a class before its list is made) the child still sees the grade; nothing is kept, and
    // the teacher is told how to name the pupil.
    const QString pupil = Store::derniere();
    // The path: the pupil's place after this series, shown and heard with the grade, stored with the results.
    const auto path = m_path->endSeries(pupil, static_cast<int>(m_series.grade()));
    const QString grade = AfficheNote();
    if (trimBlanks(pupil).isEmpty()) {
        m_screen->showGradeNotKept(true);
        return;
    }
    const SeriesResults results = m_series.results(QLocale());
    // The results in one write of the settings file: all of them, or none.
    const QList<std::pair<QString, QString>> kept{{Store::Note, grade},
                                                  {Store::Duree, results.duree},
                                                  {Store::NombreCaracteres, results.caracteres},
                                                  {Store::Niveau, results.niveau}};
    const bool stored = Store::writePupilResults(kept + path, pupil);
    // The grade stays shown; the teacher must know that it was not kept.
    if (!stored)
        showMessage(QStringLiteral("Les résultats de cette série n'ont pas pu être enregistrés.\r"
                                   "Le fichier des réglages de Frappin ne peut pas être écrit."),
                    Texts::ApplicationTitle, MsgButtons::Ok, MsgIcon::Exclamation, this);
    appendToHistory(trimBlanks(pupil));
    m_path->prepareNextSeries();
}

void frmMain::appendToHistory(const QString &pupil)
{
    if (pupil.isEmpty())
        return;
    History::Record record;
    record.pupil = pupil;
    record.start = m_series.HeureDebut;
    record.seconds = m_series.DureeSerie * Store::SecondsPerDay;
    record.grade = static_cast<int>(m_series.grade());
    record.characters = m_series.NbCaracteres;
    record.mistakes = m_series.FautesSerie;
    record.level = m_series.NiveauGuide.forResults().toInt();
    record.wordList = Store::read(Store::Frappin, Store::Demarrage, Store::Fichier, Store::DefaultWordList);
    record.mistakesByCharacter = m_series.FautesParCaractere;
    record.dictee = m_series.Dictee;
    // The path: the lesson drawn from, and the next one when the series moved the pupil on. A series that
    // moved nobody carries no lesson: drawn from the lesson this computer knew, it must not undo on the
    // school's server a teacher's move made meanwhile.
    if (!m_path->seriesList().isEmpty())
        record.wordList = m_path->seriesList();
    if (m_path->lessonAfter() != m_path->seriesList())
        record.lesson = m_path->lessonAfter();
    const QString error = History::append(record);
    if (error.isEmpty() || m_historyFailureTold)
        return;
    m_historyFailureTold = true;
    showMessage(error +
                    QStringLiteral("\rLa note est bien enregistrée. Cette série est gardée et sera ajoutée "
                                   "à l'historique au prochain démarrage de Frappin."),
                Texts::ApplicationTitle, MsgButtons::Ok, MsgIcon::Exclamation, this);
}

QString frmMain::AfficheNote()
{
    m_screen->showGrade(m_series.grade());
    QString spoken = QStringLiteral("Ta note est %1 sur 20").arg(m_series.grade());
    // The path: a lesson passed is heard with the grade.
    if (!m_path->cheer().isEmpty())
        spoken += QStringLiteral(". ") + m_path->cheer().chopped(1);
    m_screen->announce(spoken);
    // One text, since a new one cuts off the one being read: the child who cannot read yet hears what to do
    // next too.
    if (m_soundOn)
        Sound::say(spoken + QStringLiteral(". ") + Texts::Invitation);
    return QString::number(m_series.grade());
}

void frmMain::updateStars()
{
    const int inPause = Timer(0)->isTicking() ? 1 : 0;
    m_screen->showStars(std::clamp(m_seriesWords, 0, 20) - static_cast<int>(m_series.MotsRestants) + inPause,
                        m_seriesWords);
}
