#include "AppDriver.h"

#include "app/AppStart.h"

#include <QDir>
#include <QImage>
#include <QTest>

#include <cmath>

namespace {

QQuickItem *findIn(QQuickItem *root, const std::function<bool(QQuickItem *)> &test)
{
    for (QQuickItem *item : root->childItems()) {
        if (test(item))
            return item;
        if (QQuickItem *found = findIn(item, test))
            return found;
    }
    return nullptr;
}

// Scale and offset animations end exactly at 1 and 0: until then the item is not where a
// finger would aim.
bool settled(const QQuickItem *item)
{
    for (const QQuickItem *it = item; it; it = it->parentItem()) {
        if (it->scale() != 1.0)
            return false;
        const QVariant progress = it->property("progress");
        if (progress.isValid() && progress.toDouble() != 1.0)
            return false;
    }
    return true;
}

QPoint pixel(QPointF point)
{
    return {int(std::lround(point.x())), int(std::lround(point.y()))};
}

} // namespace

AppDriver::AppDriver() : m_engine(AppStart::load())
{
    if (m_engine)
        m_window = AppStart::window(*m_engine);
    if (m_window)
        (void)QTest::qWaitForWindowExposed(m_window);
}

AppDriver::~AppDriver() = default;

QQuickItem *AppDriver::find(const QString &name, QQuickItem *root) const
{
    if (!root)
        root = m_window->contentItem();
    if (QQuickItem *item =
            findIn(root, [&](QQuickItem *candidate) { return candidate->objectName() == name; }))
        return item;
    return root->findChild<QQuickItem *>(name);
}

QQuickItem *AppDriver::find(const std::function<bool(QQuickItem *)> &test, QQuickItem *root) const
{
    return findIn(root ? root : m_window->contentItem(), test);
}

QQuickItem *AppDriver::waitShown(const QString &name, QQuickItem *root) const
{
    QQuickItem *item = nullptr;
    AppDriver::waitFor([&] {
        item = find(name, root);
        return shown(item) && settled(item);
    });
    return shown(item) && settled(item) ? item : nullptr;
}

bool AppDriver::waitFor(const std::function<bool()> &condition)
{
    return QTest::qWaitFor(condition, 30000);
}

bool AppDriver::shown(const QQuickItem *item)
{
    if (!item || item->width() <= 0 || item->height() <= 0)
        return false;
    for (const QQuickItem *it = item; it; it = it->parentItem()) {
        if (!it->isVisible() || it->opacity() < 0.5)
            return false;
    }
    return true;
}

QPointF AppDriver::centreOf(const QQuickItem *item)
{
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
}

void AppDriver::click(const QQuickItem *item) const
{
    QTest::mouseClick(m_window, Qt::LeftButton, {}, pixel(centreOf(item)));
}

void AppDriver::drag(QPointF from, QPointF to, const std::function<void()> &held) const
{
    QTest::mousePress(m_window, Qt::LeftButton, {}, pixel(from));
    constexpr int steps = 12;
    for (int step = 1; step <= steps; ++step)
        QTest::mouseMove(m_window, pixel(from + (to - from) * step / steps));
    if (held)
        held();
    QTest::mouseRelease(m_window, Qt::LeftButton, {}, pixel(to));
}

void AppDriver::snapshot(const QString &name) const
{
    const QString folder = qEnvironmentVariable("MIRREL_E2E_SHOTS");
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return;
    // Whatever is pending is drawn first.
    QTest::qWait(0);
    m_window->grabWindow().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}
