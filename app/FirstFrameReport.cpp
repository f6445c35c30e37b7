#include "app/FirstFrameReport.h"

#include <QDateTime>
#include <QQuickItem>
#include <QQuickWindow>

#include <cstdio>
#include <ctime>

namespace {

QQuickItem *findItem(QQuickItem *root, const QString &name)
{
    for (QQuickItem *item : root->childItems()) {
        if (item->objectName() == name)
            return item;
        if (QQuickItem *found = findItem(item, name))
            return found;
    }
    return nullptr;
}

} // namespace

FirstFrameReport::FirstFrameReport(QQuickWindow *window) : QObject(window), m_window(window)
{
    // afterAnimating comes on the GUI thread right before the frame is synchronised, so what
    // the items hold then is what that frame draws.
    connect(window, &QQuickWindow::afterAnimating, this, &FirstFrameReport::checkPicture);
    connect(window, &QQuickWindow::beforeSynchronizing, this, &FirstFrameReport::synchronising,
            Qt::DirectConnection);
    connect(window, &QQuickWindow::frameSwapped, this, &FirstFrameReport::frameSwapped,
            Qt::DirectConnection);
}

void FirstFrameReport::checkPicture()
{
    if (m_pictureInItems)
        return;
    QQuickItem *frameView = findItem(m_window->contentItem(), QStringLiteral("frameView"));
    if (frameView && frameView->property("hasImage").toBool()) {
        m_pictureInItems = true;
        disconnect(m_window, &QQuickWindow::afterAnimating, this, &FirstFrameReport::checkPicture);
    }
}

void FirstFrameReport::synchronising()
{
    if (m_pictureInItems)
        m_pictureSynchronised = true;
}

void FirstFrameReport::frameSwapped()
{
    if (!m_pictureSynchronised || m_reported.exchange(true))
        return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(stderr, "mirrel: first picture shown at %lld.%09ld\n",
                 static_cast<long long>(now.tv_sec), now.tv_nsec);
    std::fflush(stderr);
}
