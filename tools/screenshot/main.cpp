// mirrel-screenshot: renders one QML file of the program's module into a PNG, for the gallery
// that scripts/screenshots.sh builds. The root may be a Window or an Item; an Item is shown in a
// window of --size. When the root has a boolean property "ready", the picture is taken once it
// turns true (photos load asynchronously), else after the first frames.

#include "ui/TextTables.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>

#include <cstdio>
#include <memory>

Q_IMPORT_QML_PLUGIN(MirrelPlugin)

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "mirrel-screenshot: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders a QML view of Mirrel into a PNG."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("QML"), QStringLiteral("the view to render"));
    parser.addPositionalArgument(QStringLiteral("PNG"), QStringLiteral("where to write it"));
    parser.addPositionalArgument(QStringLiteral("isUITest"),
                                 QStringLiteral("use the bundled test photo, not a camera"),
                                 QStringLiteral("[isUITest]"));
    const QCommandLineOption sizeOption(QStringLiteral("size"),
                                        QStringLiteral("window size for an Item root"),
                                        QStringLiteral("WxH"), QStringLiteral("390x844"));
    const QCommandLineOption localeOption(QStringLiteral("locale"),
                                          QStringLiteral("language of the texts"),
                                          QStringLiteral("name"), QStringLiteral("en"));
    parser.addOption(sizeOption);
    parser.addOption(localeOption);
    parser.process(app);
    // "isUITest" may follow, to run the session on the bundled test photo.
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < 2 || positional.size() > 3 ||
        (positional.size() == 3 && positional[2] != QLatin1String("isUITest")))
        return fail(QStringLiteral("give a QML file and an output PNG"));
    const QStringList size = parser.value(sizeOption).split(QLatin1Char('x'));
    if (size.size() != 2 || size[0].toInt() <= 0 || size[1].toInt() <= 0)
        return fail(QStringLiteral("--size must be WxH"));

    TextTables::install(QLocale(parser.value(localeOption)));
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    QQmlComponent component(&engine, QUrl::fromLocalFile(parser.positionalArguments()[0]));
    // Declared first so it goes last: items with layers must leave before their window.
    std::unique_ptr<QQuickWindow> host;
    std::unique_ptr<QObject> root(component.create());
    if (!root)
        return fail(component.errorString().trimmed());

    QQuickWindow *window = qobject_cast<QQuickWindow *>(root.get());
    if (!window) {
        auto *item = qobject_cast<QQuickItem *>(root.get());
        if (!item)
            return fail(QStringLiteral("the root is neither a Window nor an Item"));
        host = std::make_unique<QQuickWindow>();
        host->resize(size[0].toInt(), size[1].toInt());
        item->setParentItem(host->contentItem());
        item->setSize(host->size());
        window = host.get();
    }
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return fail(QStringLiteral("the window was never shown"));
    if (root->property("ready").isValid() &&
        !QTest::qWaitFor([&] { return root->property("ready").toBool(); }, 20000))
        return fail(QStringLiteral("the view never became ready"));
    // Let animations that start on load settle.
    QTest::qWait(400);
    const QImage image = window->grabWindow();
    if (image.isNull() || !image.save(parser.positionalArguments()[1]))
        return fail(QStringLiteral("could not write %1").arg(parser.positionalArguments()[1]));
    return 0;
}
