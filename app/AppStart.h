#pragma once

#include "app/CommandLine.h"

#include <memory>

class QQmlApplicationEngine;
class QQuickWindow;

// What the program does between reading its command line and running the event loop: it names
// the application, installs the texts, chooses the picture source and loads the window. The
// end-to-end tests start the program through this too, in their own process, so what they
// drive is what a user gets.
class AppStart
{
public:
    // After the QGuiApplication is made, once per process: the picture source is chosen once.
    static void prepare(const CommandLine &commandLine);

    // A new engine with the window loaded and shown; null when the window could not be made
    // (QML has printed why). With MIRREL_REPORT_FIRST_FRAME set in the environment, the
    // program prints one line when the first picture is on screen.
    [[nodiscard]] static std::unique_ptr<QQmlApplicationEngine> load();

    // The window the engine loaded, or null.
    [[nodiscard]] static QQuickWindow *window(const QQmlApplicationEngine &engine);
};
