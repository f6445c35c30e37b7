#pragma once

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QString>
#include <QVariantMap>

#include <memory>

// A QML engine that knows the program's module, and a window to put a view into, so a test can
// build one view with its required properties, lay it out at a given size and drive it with
// real pointer events.
class UiHarness
{
public:
    UiHarness();
    ~UiHarness();

    [[nodiscard]] QQmlEngine &engine() { return *m_engine; }
    [[nodiscard]] QQuickWindow &window() { return *m_window; }

    // Builds a type of the module ("ZoomView") or inline QML (anything containing '{') with the
    // given initial properties, puts it into the window filling it, and shows the window at
    // size. Fails the current test and returns null when the QML does not load.
    QQuickItem *show(const QString &typeOrSource, const QVariantMap &properties, QSize size);

    // Renders the window as it is now.
    [[nodiscard]] QImage grab();

private:
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QQuickWindow> m_window;
    std::unique_ptr<QQuickItem> m_item;
};
