#include "app/AppStart.h"
#include "app/CommandLine.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>

#include <cstdio>

namespace {

// Qt aborts when it finds no display; say what is wrong instead.
bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine commandLine = CommandLine::parse(arguments);
    if (commandLine.shouldExit()) {
        std::fputs(qPrintable(commandLine.output + QLatin1Char('\n')),
                   commandLine.exitCode == 0 ? stdout : stderr);
        return commandLine.exitCode;
    }
    if (!hasDisplay()) {
        std::fputs("mirrel: there is no display to show the window on; to measure a photo "
                   "without one, use mirrel-measure\n",
                   stderr);
        return 1;
    }

    QGuiApplication app(argc, argv);
    AppStart::prepare(commandLine);
    const std::unique_ptr<QQmlApplicationEngine> engine = AppStart::load();
    if (!engine)
        return 1;
    return QGuiApplication::exec();
}
