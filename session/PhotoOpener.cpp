#include "session/PhotoOpener.h"

#include "capture/CameraManager.h"
#include "session/CameraViewModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
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
                    self->finish(request, path, loaded);
            },
            Qt::QueuedConnection);
    });
}

void PhotoOpener::finish(quint64 request, const QString &path, const ImageLoader::Result &loaded)
{
    // A later open replaced this one while it was decoding.
    if (request != m_lastRequest)
        return;
    setBusy(false);
    if (!loaded.ok()) {
        // The loader gives every failure a reason; its English is only the last resort.
        const QString why = reason(loaded);
        Q_EMIT failed(why.isEmpty() ? loaded.error : why);
        return;
    }
    if (!m_session) {
        Q_EMIT failed(qtTrId("OpenPhoto_Error_NoSession"));
        return;
    }
    // A new photo is a new measurement: back to the live state, where the frame is searched for
    // the card, before the photo arrives.
    m_session->setCameraState(CameraState::takePicture());
    m_session->expectPhoto(loaded.image);
    m_session->cameraManager().showStillImage(loaded.image);
    Q_EMIT opened(path);
}

QString PhotoOpener::reason(const ImageLoader::Result &failure)
{
    using Reason = ImageLoader::Reason;
    // The loader's English names the whole path; the user knows the file by its name.
    const QString name = QFileInfo(failure.file).fileName();
    const auto detail = [&failure](qsizetype i) { return failure.details.value(i); };
    switch (failure.reason) {
    case Reason::none:
        return {};
    case Reason::noFileName:
        return qtTrId("OpenPhoto_Error_NoFile");
    case Reason::notFound:
        return qtTrId("OpenPhoto_Reason_NotFound").arg(name);
    case Reason::folder:
        return qtTrId("OpenPhoto_Reason_Folder").arg(name);
    case Reason::notAFile:
        return qtTrId("OpenPhoto_Reason_NotAFile").arg(name);
    case Reason::cannotRead:
        // In the system's words, which follow its language.
        return qtTrId("OpenPhoto_Reason_CannotRead").arg(name, detail(0));
    case Reason::fileTooLarge:
        return qtTrId("OpenPhoto_Reason_FileTooLarge").arg(name, detail(0));
    case Reason::empty:
        return qtTrId("OpenPhoto_Reason_Empty").arg(name);
    case Reason::notAnImage:
        return qtTrId("OpenPhoto_Reason_NotAnImage").arg(name);
    case Reason::truncated:
        return qtTrId("OpenPhoto_Reason_Truncated").arg(name, detail(0));
    case Reason::damaged:
        return qtTrId("OpenPhoto_Reason_Damaged").arg(name, detail(0));
    case Reason::noPixels:
        return qtTrId("OpenPhoto_Reason_NoPixels").arg(name, detail(0), detail(1));
    case Reason::tooManyPixels:
        return qtTrId("OpenPhoto_Reason_TooManyPixels").arg(name, detail(0), detail(1), detail(2));
    case Reason::undecodable:
        // The decoder's own words are English only; the sentence says enough without them.
        return qtTrId("OpenPhoto_Reason_Undecodable").arg(name);
    }
    return {};
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
