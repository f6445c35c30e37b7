#include "UiHarness.h"

#include "ui/TextTables.h"

#include <QQmlComponent>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>
#include <gtest/gtest.h>

Q_IMPORT_QML_PLUGIN(MirrelPlugin)

UiHarness::UiHarness()
    : m_engine(std::make_unique<QQmlEngine>()), m_window(std::make_unique<QQuickWindow>())
{
    TextTables::install(QLocale(QLocale::English));
    m_engine->addImportPath(QStringLiteral("qrc:/"));
}

UiHarness::~UiHarness()
{
    m_item.reset();
    m_window.reset();
}

QQuickItem *UiHarness::show(const QString &typeOrSource, const QVariantMap &properties, QSize size)
{
    QQmlComponent component(m_engine.get());
    if (typeOrSource.contains(QLatin1Char('{')))
        component.setData(typeOrSource.toUtf8(), QUrl(QStringLiteral("qrc:/test/Inline.qml")));
    else
        component.setData(QStringLiteral("import QtQuick\nimport Mirrel as Mirrel\nMirrel.%1 {}")
                              .arg(typeOrSource)
                              .toUtf8(),
                          QUrl(QStringLiteral("qrc:/test/%1Host.qml").arg(typeOrSource)));
    QObject *object = component.createWithInitialProperties(properties);
    auto *item = qobject_cast<QQuickItem *>(object);
    if (!item) {
        delete object;
        ADD_FAILURE() << component.errorString().toStdString();
        return nullptr;
    }
    m_item.reset(item);
    m_window->resize(size);
    item->setParentItem(m_window->contentItem());
    item->setSize(QSizeF(size));
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window.get()))
        ADD_FAILURE() << "the window was never shown";
    return item;
}

QImage UiHarness::grab()
{
    return m_window->grabWindow();
}
