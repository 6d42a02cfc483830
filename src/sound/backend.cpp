// The sound module: the espeak-ng library renders French speech, Qt Multimedia plays it and the short sounds.

#include "sound/backend.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QFile>
#include <QMediaDevices>
#include <QtEndian>

#include <espeak-ng/speak_lib.h>

#include <mutex>

namespace {

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

Sound::Speech render(const QString &text)
{
    const std::lock_guard lock(engineLock);
    Sound::Speech speech;
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

int speechSampleRate()
{
    const std::lock_guard lock(engineLock);
    return engineReady() ? engineSampleRate : 0;
}

void terminate()
{
    const std::lock_guard lock(engineLock);
    if (engineSampleRate > 0)
        espeak_Terminate();
    engineSampleRate = 0;
}

// The samples of one of the program's WAV files (16-bit mono, as tools/sounds.sh makes them).
Sound::Speech wavSamples(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const qsizetype data = bytes.indexOf("data");
    if (!bytes.startsWith("RIFF") || bytes.size() < 44 || data < 0 || data + 8 > bytes.size())
        return {};
    const auto rate = qFromLittleEndian<qint32>(bytes.constData() + 24);
    return {bytes.mid(data + 8), rate};
}

// One stream of sound: a new sound cuts off the one playing.
class Channel {
public:
    explicit Channel(QObject *owner) : m_buffer(new QBuffer(owner)), m_owner(owner) {}
    // The output reads from the buffer until it goes: it goes first.
    ~Channel() { delete m_sink; }
    Channel(const Channel &) = delete;
    Channel &operator=(const Channel &) = delete;

    bool canPlay(int sampleRate) { return sampleRate > 0 && outputReady(sampleRate); }

    void play(const Sound::Speech &sound)
    {
        if (sound.samples.isEmpty() || !outputReady(sound.sampleRate))
            return;
        m_sink->stop();
        m_buffer->close();
        m_buffer->setData(sound.samples);
        m_buffer->open(QIODevice::ReadOnly);
        m_sink->start(m_buffer);
    }

private:
    // No audio device, or none that takes the format: nothing is played.
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
        m_sink = new QAudioSink(device, format, m_owner);
        return true;
    }

    QBuffer *m_buffer;
    QObject *m_owner;
    QAudioSink *m_sink = nullptr;
};

// Speech and the short sounds on channels of their own, so that a mistake sounds over the word being read.
// (QSoundEffect would be the obvious choice for the short sound, but with Qt 6.4 over PulseAudio it stays
// silent for a sound this short.)
class Player : public Sound::Output {
public:
    void speak(const QString &text) override { m_speech.play(render(text)); }

    void playMistake() override
    {
        if (m_mistake.samples.isEmpty())
            m_mistake = wavSamples(QStringLiteral(":/sounds/faute.wav"));
        m_effects.play(m_mistake);
    }

    bool canSpeak() override { return m_speech.canPlay(speechSampleRate()); }

private:
    Channel m_speech{this};
    Channel m_effects{this};
    Sound::Speech m_mistake;
};

Sound::Output *createOutput()
{
    return new Player();
}

} // namespace

extern "C" Q_DECL_EXPORT const Sound::Backend *frappinSoundBackend()
{
    static const Sound::Backend backend{render, createOutput, terminate};
    return &backend;
}
