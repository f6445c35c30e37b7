#pragma once

#include <QString>
#include <QStringList>

// What `mirrel` was asked to do. Besides its options the program takes the launch arguments the
// test runs use: the bare word "isUITest", and "-key value" pairs that set a setting for this
// run only (e.g. "-isUITest 1", "-IS_METRIC_UNIT NO"); the parser leaves those alone.
struct CommandLine
{
    // The photo to measure instead of the camera; empty for the camera.
    QString photo;
    // Set when the program should stop at once with this status (after --help, --version or a
    // mistake), having printed `output` (to standard output for 0, else standard error).
    int exitCode = -1;
    QString output;

    [[nodiscard]] bool shouldExit() const { return exitCode >= 0; }

    // arguments as the process received them, the program first. Needs no application object,
    // so --help and --version work without a display.
    [[nodiscard]] static CommandLine parse(const QStringList &arguments);
    // The arguments left for the option parser: the program, its options and the photo.
    [[nodiscard]] static QStringList withoutLaunchArguments(const QStringList &arguments);
};
