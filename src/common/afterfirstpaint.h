#pragma once

// Work that showing a window does not need, put off until the window is on the screen.
//
// Start-up time is the time to the first painted window. What the first paint does not need (the window's
// icon, looked up in the desktop's icon theme and drawn at the sizes the window manager asks for, costs more
// than building the whole main window) is done right after it instead.

#include <functional>

class QWidget;

// Runs action right after window's first paint: within the handling of the window's first exposure, once
// the window has painted and its picture has gone to the screen, before the program handles anything else.
// For a window already on the screen, runs it at once.
void runAfterFirstPaint(QWidget *window, std::function<void()> action);

// Gives back to the system the memory that the program has freed: start-up allocates and frees a good deal
// (files read whole, parsers, font and icon look-ups) that would otherwise stay counted against it.
void releaseFreedMemory();
