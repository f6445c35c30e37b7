#pragma once

#include <QPointF>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QString>

#include <functional>
#include <memory>

// The program's window, loaded as main loads it, and a user's hands on it: items are found by
// their identifiers (object names), pressed and dragged with real pointer events at the place
// they show on screen.
class AppDriver
{
public:
    // Loads the window; check `window()` before use.
    AppDriver();
    ~AppDriver();

    // Null when the window could not be loaded.
    [[nodiscard]] QQuickWindow *window() const { return m_window; }

    // The first item called name below `root` (the window's content by default), searched in
    // the item tree and the object tree; null when there is none.
    [[nodiscard]] QQuickItem *find(const QString &name, QQuickItem *root = nullptr) const;
    // The first item below root for which `test` holds.
    [[nodiscard]] QQuickItem *find(const std::function<bool(QQuickItem *)> &test,
                                   QQuickItem *root = nullptr) const;
    // Waits until an item called name shows, settled (no scale or slide animation running
    // on it), and returns it; null after the wait ran out.
    [[nodiscard]] QQuickItem *waitShown(const QString &name, QQuickItem *root = nullptr) const;

    // Turns the event loop until `condition` holds; false when it did not within a wait long
    // enough for a loaded machine (the steps take well under a second on an idle one).
    static bool waitFor(const std::function<bool()> &condition);

    // Visible with all its ancestors, opaque enough and of some size.
    [[nodiscard]] static bool shown(const QQuickItem *item);
    // Where the item's centre shows in the window.
    [[nodiscard]] static QPointF centreOf(const QQuickItem *item);

    // A press and release of the left button over the item's centre.
    void click(const QQuickItem *item) const;
    // Press at from, move there in small steps, release at to; window coordinates. `held`
    // runs while the button is still down at to.
    void drag(QPointF from, QPointF to, const std::function<void()> &held = {}) const;

    // With MIRREL_E2E_SHOTS naming a folder, the window as it is now goes there as name.png,
    // so the states a run went through can be looked at.
    void snapshot(const QString &name) const;

private:
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QQuickWindow *m_window = nullptr;
};
