#pragma once

// Caps Lock and Num Lock as the keyboard has them, so that the window can tell the pupil before a letter
// comes out wrong. On X11 the keyboard's own indicators are asked for (XKB, by the indicators' names);
// elsewhere (a Wayland compositor sends the locks with each key) the modifier state a key event carries is
// all there is.

#include <QtGlobal>

#include <functional>
#include <optional>

struct KeyboardLocks {
    bool capsLock = false;
    bool numLock = false;
    bool operator==(const KeyboardLocks &) const = default;
};

// The locks now, or nothing where the platform cannot be asked (not X11).
std::optional<KeyboardLocks> readKeyboardLocks();

// The locks in a key event's native modifiers, as X11 and xkbcommon lay them out: Lock for capitals, Mod2 for
// the numeric pad (the modifier every French keymap gives Num Lock).
KeyboardLocks locksFromModifiers(quint32 nativeModifiers);

// Seam for tests: readKeyboardLocks answers with read instead; an empty function brings back the keyboard.
void setKeyboardLocksForTests(std::function<std::optional<KeyboardLocks>()> read);
