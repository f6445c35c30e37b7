#include "session/PhotoOpener.h"

#include "capture/CameraManager.h"
#include "capture/ImageLoader.h"
#include "session/CameraViewModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QStandardPaths>
#include <QThreadPool>

PhotoOpener::PhotoOpener(QObject *parent) : QObject(parent), m_decoding(new QThreadPool(this))
{
    // Photos decode on threads of their own: the process's shared pool also scales pictures for
    // drawing, which must not wait behind a large photo.
    m_decoding->setObjectName(QStringLiteral("photoDecoding"));
}

PhotoOpener::~PhotoOpener() = default;

void PhotoOpener::setSession(CameraViewModel *session)
{
    if (session == m_session)
        return;
    m_session = session;
    Q_EMIT sessionChanged();
}

QStringList PhotoOpener::nameFilters()
{
    // Each in both cases: the desktop's dialogs match the patterns case-sensitively, and cameras
    // and scanners name their files in capitals ("IMG_0001.JPG", "SCAN.TIF").
    QStringList patterns;
    for (const char *extension : {"jpg", "jpeg", "png", "webp", "bmp", "tif", "tiff"}) {
        patterns.append(QStringLiteral("*.") + QLatin1String(extension));
        patterns.append(QStringLiteral("*.") + QString::fromLatin1(extension).toUpper());
    }
    return {QStringLiteral("Photos (%1)").arg(patterns.join(QLatin1Char(' '))),
            QStringLiteral("All files (*)")};
}

void PhotoOpener::open(const QUrl &url)
{
    if (url.isLocalFile() || url.scheme().isEmpty()) {
        openPath(url.isLocalFile() ? url.toLocalFile() : url.path());
        return;
    }
    // A photo dragged out of a web page arrives as its web address.
    ++m_lastRequest;
    setBusy(false);
    Q_EMIT failed(qtTrId("OpenPhoto_Error_NotLocal"));
}

void PhotoOpener::openPath(const QString &path)
{
    const quint64 request = ++m_lastRequest;
    if (path.isEmpty()) {
        setBusy(false);
        Q_EMIT failed(qtTrId("OpenPhoto_Error_NoFile"));
        return;
    }
    setBusy(true);
    const QPointer<PhotoOpener> self(this);
    m_decoding->start([self, request, path] {
        ImageLoader::Result loaded = ImageLoader::load(path);
        // The opener may be deleted on the GUI thread at any moment, so it is neither read nor
        // posted to from here: the application object outlives it and carries the answer over,
        // and whether the opener still exists is asked on the GUI thread.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, request, path, loaded = std::move(loaded)] {
                if (self)
                    self->finish(request, path, loaded.image, loaded.error);
            },
            Qt::QueuedConnection);
    });
}

void PhotoOpener::finish(quint64 request, const QString &path, const QImage &image,
                         const QString &error)
{
    // A later open replaced this one while it was decoding.
    if (request != m_lastRequest)
        return;
    setBusy(false);
    if (image.isNull()) {
        Q_EMIT failed(error);
        return;
    }
    if (!m_session) {
        Q_EMIT failed(qtTrId("OpenPhoto_Error_NoSession"));
        return;
    }
    // A new photo is a new measurement: back to the live state, where the frame is searched for
    // the card, before the photo arrives.
    m_session->setCameraState(CameraState::takePicture());
    m_session->expectPhoto(image);
    m_session->cameraManager().showStillImage(image);
    Q_EMIT opened(path);
}

void PhotoOpener::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged();
}

QUrl PhotoOpener::startFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QDir(pictures).exists())
        return QUrl::fromLocalFile(pictures);
    return QUrl::fromLocalFile(QDir::homePath());
}
