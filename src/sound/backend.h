#pragma once

// The part of the sound that needs the speech engine and Qt Multimedia. It is a module of its own
// (sound/frappin-sound.so, in the program's folder), loaded on the first sound asked for: the program starts
// without loading the engine, the audio libraries and the sound server's client, which together cost more
// start-up time than the main window.

#include "sound/sound.h"

#include <QObject>

namespace Sound {

// Plays speech and the short sounds; created in, and used from, the sound thread only.
class Output : public QObject {
public:
    virtual void speak(const QString &text) = 0;
    virtual void playMistake() = 0;
    // The French voice renders and an audio output takes its samples.
    virtual bool canSpeak() = 0;
};

struct Backend {
    Speech (*render)(const QString &text); // see Sound::render
    Output *(*createOutput)();
    void (*terminate)(); // ends the engine once nothing renders any more
};

} // namespace Sound

// The module's one entry point.
extern "C" const Sound::Backend *frappinSoundBackend();
