#include "app/CommandLine.h"
#include "capture/StillPhotoSource.h"
#include "ui/TextTables.h"

#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QtQml/QQmlExtensionPlugin>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(MirrelPlugin)

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
    QGuiApplication::setApplicationName(QStringLiteral("mirrel"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Mirrel"));
    QGuiApplication::setApplicationVersion(QStringLiteral(MIRREL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("app.mirrel.Mirrel"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/mirrel/app/mirrel.svg")));
    if (!commandLine.photo.isEmpty())
        StillPhotoSource::setLaunchPhoto(commandLine.photo);
    TextTables::install();

    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app,
        [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/Mirrel/MirrelApp.qml")));
    return QGuiApplication::exec();
}
