#pragma once

// What the pupil hears when the teacher has turned the sound on: the word to type, "Bravo !" and the grade
// read aloud in French, and a short soft sound for a mistake.
//
// Nothing here makes the window wait or shows a message. The speech engine (the espeak-ng library with its
// French voice) and the audio output (Qt Multimedia) are loaded and started on the first sound asked for, in
// a thread of their own (sound/backend.h); a machine without an audio device, without the engine's French
// voice or without the sound module stays silent.

#include <QByteArray>
#include <QString>

#include <functional>

class QObject;

namespace Sound {

enum class Effect { Mistake };

// Reads text aloud in French. A new text cuts off the one being read.
void say(const QString &text);
// Plays one of the program's short sounds, over any speech.
void play(Effect effect);

// Finds out, in the sound thread, whether speech can be heard (the sound module, the engine's French voice
// and an audio output are there), and then calls answer in the main thread, unless receiver is gone by then.
// Starts the sound thread like the first sound does.
void checkSpeech(QObject *receiver, std::function<void(bool heard)> answer);

// Stops the sound, its thread and the engine; the next sound starts them again. Runs by itself when the
// program's event loop ends; a program that never runs one calls it before its QCoreApplication goes.
void shutDown();

// Text as the French voice speaks it: 16-bit signed mono samples at sampleRate. Empty when the engine or
// its French voice is missing. Runs the engine in the calling thread; the program calls it from the sound
// thread only.
struct Speech {
    QByteArray samples;
    int sampleRate = 0;
};
Speech render(const QString &text);

// The espeak-ng voice the program speaks with.
inline constexpr const char *VoiceName = "fr";

// The sound module (see sound/backend.h) for tests, whose programs are not beside it; empty: beside the
// program.
void setModuleForTests(const QString &path);

// Seam for tests: what would be heard goes to record instead, spoken text as it is and the mistake sound as
// "<faute>"; no engine and no audio output are started, and checkSpeech answers speechHeard. An empty
// function brings back the real sound.
void setSoundForTests(std::function<void(const QString &heard)> record, bool speechHeard = true);

} // namespace Sound
