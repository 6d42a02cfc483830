#include "keyboard/locks.h"

#include <QGuiApplication>

#include <X11/XKBlib.h>

namespace {

std::function<std::optional<KeyboardLocks>()> &testLocks()
{
    static std::function<std::optional<KeyboardLocks>()> read;
    return read;
}

} // namespace

std::optional<KeyboardLocks> readKeyboardLocks()
{
    if (testLocks())
        return testLocks()();
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    // By name, as the keymap maps them: the indicator's number depends on the keymap.
    static const Atom caps = XInternAtom(display, "Caps Lock", False);
    static const Atom num = XInternAtom(display, "Num Lock", False);
    Bool capsOn = False;
    Bool numOn = False;
    if (!XkbGetNamedIndicator(display, caps, nullptr, &capsOn, nullptr, nullptr) ||
        !XkbGetNamedIndicator(display, num, nullptr, &numOn, nullptr, nullptr))
        return std::nullopt;
    return KeyboardLocks{capsOn != False, numOn != False};
}

KeyboardLocks locksFromModifiers(quint32 nativeModifiers)
{
    return {(nativeModifiers & LockMask) != 0, (nativeModifiers & Mod2Mask) != 0};
}

void setKeyboardLocksForTests(std::function<std::optional<KeyboardLocks>()> read)
{
    testLocks() = std::move(read);
}
