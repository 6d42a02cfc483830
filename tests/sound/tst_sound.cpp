// The real sound, once: the program's French voice renders a word that is not silence (measured by sox), and
// asking for sound comes back, with or without an audio device.

#include "sound/sound.h"
#include "support/sandbox.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

class TestSound : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Sound::setModuleForTests(QStringLiteral(FRAPPIN_SOUND_MODULE)); }

    void frenchWordIsNotSilence()
    {
        const Sound::Speech speech = Sound::render(QStringLiteral("chat"));
        if (speech.samples.isEmpty())
            QSKIP("no espeak-ng engine with its French voice here");
        const QString sox = QStandardPaths::findExecutable(QStringLiteral("sox"));
        if (sox.isEmpty())
            QSKIP("sox is not installed");
        const double seconds = static_cast<double>(speech.samples.size()) / 2 / speech.sampleRate;
        QVERIFY2(seconds > 0.2 && seconds < 2, qPrintable(QString::number(seconds)));

        QTemporaryDir dir;
        QFile raw(dir.filePath(QStringLiteral("chat.raw")));
        QVERIFY(raw.open(QIODevice::WriteOnly) && raw.write(speech.samples) == speech.samples.size());
        raw.close();
        QProcess stat;
        stat.start(sox, {"-t", "raw", "-r", QString::number(speech.sampleRate), "-e", "signed", "-b", "16",
                         "-c", "1", raw.fileName(), "-n", "stat"});
        QVERIFY(stat.waitForFinished(30000));
        const QString report = QString::fromLocal8Bit(stat.readAllStandardError());
        const auto rms = QRegularExpression(QStringLiteral(R"(RMS\s+amplitude:\s+([0-9.]+))")).match(report);
        QVERIFY2(rms.hasMatch(), qPrintable(report));
        qInfo("\"chat\": %.2f s at %d Hz, RMS amplitude %s", seconds, speech.sampleRate,
              qPrintable(rms.captured(1)));
        QVERIFY2(rms.captured(1).toDouble() > 0.02, qPrintable(report));
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
