#include "app/AppStart.h"
#include "app/CommandLine.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>

// Starts the program's process as main does, with the same arguments ("isUITest", a photo),
// and runs the tests in it instead of the event loop. The settings and the pictures folder
// live in a fresh home of their own, so a run never sees what an earlier one left.
int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    const QTemporaryDir home;
    if (!home.isValid()) {
        std::fputs("cannot make a temporary home\n", stderr);
        return 1;
    }
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toLocal8Bit());
    // The save dialog must be Qt Quick's own, which a test can type into, not the desktop's.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);

    QGuiApplication app(argc, argv);
    const CommandLine commandLine = CommandLine::parse(QCoreApplication::arguments());
    if (commandLine.shouldExit()) {
        std::fputs(qPrintable(commandLine.output + QLatin1Char('\n')), stderr);
        return 1;
    }
    AppStart::prepare(commandLine);
    return RUN_ALL_TESTS();
}
