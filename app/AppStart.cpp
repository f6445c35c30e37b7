#include "app/AppStart.h"

#include "app/FirstFrameReport.h"
#include "capture/FrameManager.h"
#include "capture/StillPhotoSource.h"
#include "core/Session.h"
#include "core/Storage.h"
#include "core/UserDefaults.h"
#include "ui/TextTables.h"

#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QtQml/QQmlExtensionPlugin>

Q_IMPORT_QML_PLUGIN(MirrelPlugin)

void AppStart::prepare(const CommandLine &commandLine)
{
    QGuiApplication::setApplicationName(QStringLiteral("mirrel"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Mirrel"));
    QGuiApplication::setApplicationVersion(QStringLiteral(MIRREL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("app.mirrel.Mirrel"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/mirrel/app/mirrel.svg")));
    if (!commandLine.photo.isEmpty())
        StillPhotoSource::setLaunchPhoto(commandLine.photo);
    TextTables::install();
    // When the measurement screen comes first, the picture source starts now, on its own
    // threads, while the screens load: the camera opens (or the photo is decoded) in parallel
    // instead of after the window is up. The tutorial asks about the camera first, so it
    // leaves the camera alone until it is done.
    if (Session::shared().isUITest() ||
        UserDefaults::standard().boolValue(QLatin1String(Storage::tutorialSeenKey)))
        static_cast<void>(FrameManager::shared()); // created for what its creation starts
}

std::unique_ptr<QQmlApplicationEngine> AppStart::load()
{
    auto engine = std::make_unique<QQmlApplicationEngine>();
    engine->addImportPath(QStringLiteral("qrc:/"));
    // The file is compiled in, so loading is synchronous: the window exists or failed here.
    engine->load(QUrl(QStringLiteral("qrc:/Mirrel/MirrelApp.qml")));
    QQuickWindow *shown = window(*engine);
    if (!shown)
        return nullptr;
    if (!qEnvironmentVariableIsEmpty("MIRREL_REPORT_FIRST_FRAME"))
        new FirstFrameReport(shown);
    return engine;
}

QQuickWindow *AppStart::window(const QQmlApplicationEngine &engine)
{
    const QList<QObject *> roots = engine.rootObjects();
    return roots.isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(roots.first());
}
