// The real sound, once: the program's French voice renders a word that is not silence, and asking for sound
// comes back, with or without an audio device.

#include "sound/sound.h"
#include "support/sandbox.h"

#include <QElapsedTimer>
#include <QTest>

#include <cmath>

class TestSound : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Sound::setModuleForTests(QStringLiteral(FRAPPIN_SOUND_MODULE)); }

    // "chat" lasts as a word does, at a level well above a silence's (RMS amplitude 0.1 as rendered here).
    void frenchWordIsNotSilence()
    {
        const Sound::Speech speech = Sound::render(QStringLiteral("chat"));
        if (speech.samples.isEmpty())
            QSKIP("no espeak-ng engine with its French voice here");
        const auto *samples = reinterpret_cast<const qint16 *>(speech.samples.constData());
        const qsizetype count = speech.samples.size() / 2;
        double squares = 0;
        for (qsizetype i = 0; i < count; ++i)
            squares += double(samples[i]) * samples[i];
        const double seconds = double(count) / speech.sampleRate, rms = std::sqrt(squares / count) / 32768;
        qInfo("\"chat\": %.2f s at %d Hz, RMS amplitude %.3f", seconds, speech.sampleRate, rms);
        QVERIFY2(seconds > 0.2 && seconds < 2 && rms > 0.02, qPrintable(QString::number(rms)));
    }

    // The engine and the audio output start in the sound thread: asking comes back, with or without an audio
    // device (a hang bound; how soon is a speed figure, not a test's).
    void askingComesBack()
    {
        QElapsedTimer clock;
        clock.start();
        Sound::say(QStringLiteral("Bravo !"));
        Sound::play(Sound::Effect::Mistake);
        Sound::say(QStringLiteral("Ta note est 19 sur 20"));
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
        Sound::shutDown();
    }
};

FRAPPIN_GUILESS_TEST_MAIN(TestSound)
#include "tst_sound.moc"
