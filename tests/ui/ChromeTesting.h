#pragma once

#include <QAccessible>
#include <QCoreApplication>
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

// Every item called `name` below root in the item tree (which, unlike the object tree, holds
// the items a Repeater made), parents before their children.
inline QList<QQuickItem *> items(QQuickItem *root, const QString &name)
{
    QList<QQuickItem *> found;
    for (QQuickItem *item : root->childItems()) {
        if (item->objectName() == name)
            found.append(item);
        found.append(items(item, name));
    }
    return found;
}

// The first item called `name` below root; fails the test when there is none.
inline QQuickItem *child(QQuickItem *root, const QString &name)
{
    QQuickItem *item = items(root, name).value(0);
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

// Where the item's centre shows in the window.
inline QPointF centreOf(const QQuickItem *item)
{
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
}

// A real press and release of the left button over the item's centre.
inline void click(QQuickWindow &window, const QQuickItem *item)
{
    QTest::mouseClick(&window, Qt::LeftButton, {}, centreOf(item).toPoint());
}

// What a screen reader does with a button: press it through the accessibility interface, which
// exists only while accessibility is active (QAccessible::setActive). False when the item offers
// no press.
inline bool pressAsScreenReader(QQuickItem *item)
{
    QAccessibleInterface *face = item ? QAccessible::queryAccessibleInterface(item) : nullptr;
    QAccessibleActionInterface *actions = face ? face->actionInterface() : nullptr;
    if (!actions || !actions->actionNames().contains(QAccessibleActionInterface::pressAction()))
        return false;
    actions->doAction(QAccessibleActionInterface::pressAction());
    return true;
}

// One of the presses a held key repeats, as the window system sends it.
inline void repeatedPress(QWindow *window, Qt::Key key, const QString &text = {})
{
    qt_handleKeyEvent(window, QEvent::KeyPress, key, Qt::NoModifier, text, true);
    QCoreApplication::processEvents();
}

// The view below root that draws target: the card's or a line's or rectangle's.
inline QQuickItem *viewOf(QQuickItem *root, const QObject *target)
{
    QList<QQuickItem *> views = items(root, QStringLiteral("targetView"));
    views += items(root, QStringLiteral("cardView"));
    for (QQuickItem *view : views)
        if (view->property("target").value<QObject *>() == target)
            return view;
    return nullptr;
}

} // namespace chrome
