#include "ui/TextTables.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QtQml/QQmlExtensionPlugin>

Q_IMPORT_QML_PLUGIN(MirrelPlugin)

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("mirrel"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Mirrel"));
    QGuiApplication::setApplicationVersion(QStringLiteral(MIRREL_VERSION));
    TextTables::install();

    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app,
        [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/Mirrel/MirrelApp.qml")));
    return QGuiApplication::exec();
}
