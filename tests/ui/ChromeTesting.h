#pragma once

#include <QQuickItem>
#include <QQuickWindow>
#include <QString>
#include <QTest>
#include <gtest/gtest.h>

#include <ostream>

// gtest prints QStrings as text, not as arrays of 16-bit units.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace chrome {

// The item called `name` below root in the item tree (which, unlike the object tree, holds
// the items a Repeater made), or null.
inline QQuickItem *findItem(QQuickItem *root, const QString &name)
{
    for (QQuickItem *item : root->childItems()) {
        if (item->objectName() == name)
            return item;
        if (QQuickItem *found = findItem(item, name))
            return found;
    }
    return nullptr;
}

// The item called `name` below root; fails the test when there is none.
inline QQuickItem *child(QQuickItem *root, const QString &name)
{
    QQuickItem *item = findItem(root, name);
    if (!item)
        item = root->findChild<QQuickItem *>(name);
    EXPECT_TRUE(item) << "no item " << name.toStdString();
    return item;
}

// Visible with every ancestor, and of some size: what a user can see and press.
inline bool shown(const QQuickItem *item)
{
    if (!item || item->width() <= 0 || item->height() <= 0 || item->opacity() == 0)
        return false;
    for (const QQuickItem *it = item; it; it = it->parentItem()) {
        if (!it->isVisible())
            return false;
    }
    return true;
}

inline QPoint centreOf(const QQuickItem *item)
{
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}

// A real press and release of the left button over the item's centre.
inline void click(QQuickWindow &window, const QQuickItem *item)
{
    QTest::mouseClick(&window, Qt::LeftButton, {}, centreOf(item));
}

} // namespace chrome
