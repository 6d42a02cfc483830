#include "sound/sound.h"

#include "sound/backend.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QPointer>
#include <QThread>

#include <atomic>
#include <mutex>

namespace {

std::function<void(const QString &)> recorder;
bool recordedSpeechHeard = true;
QString moduleOverride;

std::mutex moduleLock;
QLibrary *module = nullptr;
const Sound::Backend *loadedBackend = nullptr;

// The sound module, loaded on first use; null when it is missing or cannot be loaded.
const Sound::Backend *backend()
{
    const std::lock_guard lock(moduleLock);
    if (!module) {
        module = new QLibrary(moduleOverride.isEmpty() ? QCoreApplication::applicationDirPath() +
                                                             QStringLiteral("/sound/frappin-sound")
                                                       : moduleOverride);
        if (auto entry =
                reinterpret_cast<decltype(&frappinSoundBackend)>(module->resolve("frappinSoundBackend")))
            loadedBackend = entry();
    }
    return loadedBackend;
}

QThread *soundThread = nullptr;
QObject *soundContext = nullptr; // lives in the sound thread: the work posted there runs in its name
Sound::Output *output = nullptr; // in the sound thread; null while the module is not loaded there
// The latest text asked for: a text still waiting when a newer one comes is not read.
std::atomic<int> latestText = 0;

// Runs work in the sound thread, started on first use. The module is loaded there, not in the caller's.
void inSoundThread(std::function<void()> work)
{
    if (!soundThread) {
        soundThread = new QThread();
        soundThread->setObjectName(QStringLiteral("sound"));
        soundContext = new QObject();
        soundContext->moveToThread(soundThread);
        soundThread->start(QThread::LowPriority);
        // With the event loop, or else with the application object (tests run no event loop).
        static const bool stopsWithTheProgram = [] {
            qAddPostRoutine(Sound::shutDown);
            return QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, &Sound::shutDown);
        }();
        Q_UNUSED(stopsWithTheProgram)
    }
    QMetaObject::invokeMethod(soundContext, std::move(work), Qt::QueuedConnection);
}

Sound::Output *soundOutput()
{
    if (!output) {
        if (const Sound::Backend *found = backend())
            output = found->createOutput();
    }
    return output;
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
    inSoundThread([text, id] {
        if (id != latestText)
            return;
        if (Output *out = soundOutput())
            out->speak(text);
    });
}

void play(Effect effect)
{
    switch (effect) {
    case Effect::Mistake:
        if (recorder) {
            recorder(QStringLiteral("<faute>"));
            return;
        }
        inSoundThread([] {
            if (Output *out = soundOutput())
                out->playMistake();
        });
        break;
    }
}

void checkSpeech(QObject *receiver, std::function<void(bool heard)> answer)
{
    // The answer goes back through the application object, which outlives any window; the receiver is
    // looked at in the main thread only.
    auto reply = [receiver = QPointer<QObject>(receiver), answer = std::move(answer)](bool heard) {
        QMetaObject::invokeMethod(
            qApp,
            [receiver, answer, heard] {
                if (receiver)
                    answer(heard);
            },
            Qt::QueuedConnection);
    };
    if (recorder) {
        reply(recordedSpeechHeard);
        return;
    }
    inSoundThread([reply] {
        Output *out = soundOutput();
        reply(out && out->canSpeak());
    });
}

void shutDown()
{
    if (!soundThread)
        return;
    // The audio output goes while the thread still runs its event loop, as Qt Multimedia needs.
    QMetaObject::invokeMethod(
        soundContext,
        [] {
            delete output;
            output = nullptr;
        },
        Qt::BlockingQueuedConnection);
    soundThread->quit();
    soundThread->wait();
    delete soundThread;
    soundThread = nullptr;
    delete soundContext;
    soundContext = nullptr;
    const std::lock_guard lock(moduleLock);
    if (loadedBackend)
        loadedBackend->terminate();
}

Speech render(const QString &text)
{
    const Backend *found = backend();
    return found ? found->render(text) : Speech();
}

void setSoundForTests(std::function<void(const QString &heard)> record, bool speechHeard)
{
    recorder = std::move(record);
    recordedSpeechHeard = speechHeard;
}

void setModuleForTests(const QString &path)
{
    moduleOverride = path;
}

} // namespace Sound
