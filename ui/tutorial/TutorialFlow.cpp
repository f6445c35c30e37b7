#include "ui/tutorial/TutorialFlow.h"

#include "core/Storage.h"
#include "ui/tutorial/Permissions.h"

#include <QCoreApplication>

TutorialFlow::TutorialFlow(QObject *parent) : QObject(parent) {}

void TutorialFlow::setStorage(Storage *storage)
{
    if (storage == m_storage)
        return;
    m_storage = storage;
    Q_EMIT storageChanged();
}

void TutorialFlow::setPage(TutorialPage::Page page)
{
    if (page == m_page)
        return;
    m_page = page;
    Q_EMIT pageChanged();
}

void TutorialFlow::next()
{
    switch (m_page) {
    case TutorialPage::welcome:
        setPage(TutorialPage::camera);
        break;
    case TutorialPage::camera:
        // The page stays until the answer is in; a refusal moves on too (the measurement screen
        // explains a missing camera later).
        Permissions::current()->requestCameraAccess(
            [self = QPointer(this)](bool) { showPage(self, TutorialPage::photo); });
        break;
    case TutorialPage::photo:
        setPage(TutorialPage::adjust);
        break;
    case TutorialPage::adjust:
        setPage(TutorialPage::share);
        break;
    case TutorialPage::share:
        Permissions::current()->requestPhotoLibraryAccess(
            [self = QPointer(this)](bool) { showPage(self, std::nullopt); });
        break;
    }
}

void TutorialFlow::finish()
{
    // Through the event loop, as the permission answer does, so the flag is always written on
    // the GUI thread and after whatever the button press itself set off.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_finished)
                return;
            m_finished = true;
            if (m_storage)
                m_storage->setIsTutorialSeen(true);
            Q_EMIT finished();
        },
        Qt::QueuedConnection);
}

void TutorialFlow::showPage(QPointer<TutorialFlow> flow, std::optional<TutorialPage::Page> page)
{
    // The application object outlives every flow, so the hop itself is always safe; whether the
    // flow still exists is asked on the GUI thread, where it is deleted.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [flow, page] {
            if (!flow)
                return;
            if (page)
                flow->setPage(*page);
            else
                flow->finish();
        },
        Qt::QueuedConnection);
}
