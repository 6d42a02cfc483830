#include "sound/sound.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>

#include <espeak-ng/speak_lib.h>

#include <atomic>
#include <mutex>

namespace {

std::function<void(const QString &)> recorder;

// espeak-ng keeps one engine for the whole process: it is used under this lock only.
std::mutex engineLock;
int engineSampleRate = 0; // 0: not started yet; -1: no engine or no French voice
QByteArray *rendered = nullptr;

int collectSamples(short *samples, int count, espeak_EVENT *)
{
    if (samples && count > 0 && rendered)
        rendered->append(reinterpret_cast<const char *>(samples),
                         static_cast<qsizetype>(count) * static_cast<qsizetype>(sizeof(short)));
    return 0;
}

// Starts the engine once. Without espeakINITIALIZE_DONT_EXIT the library ends the process when its data
// files are missing.
bool engineReady()
{
    if (engineSampleRate == 0) {
        const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
        engineSampleRate = rate > 0 && espeak_SetVoiceByName(Sound::VoiceName) == EE_OK ? rate : -1;
        if (engineSampleRate > 0) {
            espeak_SetSynthCallback(collectSamples);
            // A little slower than the engine's 175 words a minute, for young pupils.
            espeak_SetParameter(espeakRATE, 145, 0);
        }
    }
    return engineSampleRate > 0;
}

// Lives in the sound thread: renders speech and plays it, and plays the short sounds.
class Player : public QObject {
public:
    // The output reads from the buffer until it goes: it goes first.
    ~Player() override { delete m_sink; }

    void speak(const QString &text)
    {
        const Sound::Speech speech = Sound::render(text);
        if (speech.samples.isEmpty() || !outputReady(speech.sampleRate))
            return;
        m_sink->stop();
        m_buffer->close();
        m_buffer->setData(speech.samples);
        m_buffer->open(QIODevice::ReadOnly);
        m_sink->start(m_buffer);
    }

    void playMistake()
    {
        if (!m_mistake) {
            m_mistake = new QSoundEffect(this);
            m_mistake->setSource(QUrl(QStringLiteral("qrc:/sounds/faute.wav")));
        }
        m_mistake->play();
    }

private:
    bool outputReady(int sampleRate)
    {
        if (m_sink && m_sink->format().sampleRate() == sampleRate)
            return true;
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            return false;
        QAudioFormat format;
        format.setSampleRate(sampleRate);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(format))
            return false;
        delete m_sink;
        m_sink = new QAudioSink(device, format, this);
        return true;
    }

    QBuffer *m_buffer = new QBuffer(this);
    QAudioSink *m_sink = nullptr;
    QSoundEffect *m_mistake = nullptr;
};

QThread *soundThread = nullptr;
Player *player = nullptr;
// The latest text asked for: a text still waiting when a newer one comes is not read.
std::atomic<int> latestText = 0;

} // namespace

void Sound::shutDown()
{
    if (!soundThread)
        return;
    // The audio output goes while the thread still runs its event loop, as Qt Multimedia needs.
    QMetaObject::invokeMethod(
        player, [] { delete player; }, Qt::BlockingQueuedConnection);
    soundThread->quit();
    soundThread->wait();
    delete soundThread;
    soundThread = nullptr;
    player = nullptr;
    const std::lock_guard lock(engineLock);
    if (engineSampleRate > 0)
        espeak_Terminate();
    engineSampleRate = 0;
}

namespace {

Player *startedPlayer()
{
    if (!player) {
        soundThread = new QThread();
        soundThread->setObjectName(QStringLiteral("sound"));
        player = new Player();
        player->moveToThread(soundThread);
        soundThread->start(QThread::LowPriority);
        // With the event loop, or else with the application object (tests run no event loop).
        static const bool stopsWithTheProgram = [] {
            qAddPostRoutine(Sound::shutDown);
            return QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, &Sound::shutDown);
        }();
        Q_UNUSED(stopsWithTheProgram)
    }
    return player;
}

} // namespace

namespace Sound {

void say(const QString &text)
{
    if (recorder) {
        recorder(text);
        return;
    }
    const int id = ++latestText;
    Player *target = startedPlayer();
    QMetaObject::invokeMethod(
        target,
        [target, text, id] {
            if (id == latestText)
                target->speak(text);
        },
        Qt::QueuedConnection);
}

void play(Effect effect)
{
    switch (effect) {
    case Effect::Mistake:
        if (recorder) {
            recorder(QStringLiteral("<faute>"));
            return;
        }
        Player *target = startedPlayer();
        QMetaObject::invokeMethod(
            target, [target] { target->playMistake(); }, Qt::QueuedConnection);
        break;
    }
}

Speech render(const QString &text)
{
    const std::lock_guard lock(engineLock);
    Speech speech;
    if (text.isEmpty() || !engineReady())
        return speech;
    const QByteArray utf8 = text.toUtf8();
    rendered = &speech.samples;
    espeak_Synth(utf8.constData(), static_cast<size_t>(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                 espeakCHARS_UTF8, nullptr, nullptr);
    rendered = nullptr;
    speech.sampleRate = engineSampleRate;
    return speech;
}

void setSoundForTests(std::function<void(const QString &heard)> record)
{
    recorder = std::move(record);
}

} // namespace Sound
