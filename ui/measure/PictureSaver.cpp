#include "ui/measure/PictureSaver.h"

#include "core/WholeFile.h"
#include "ui/SystemActions.h"

#include <QBuffer>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>
#include <QStandardPaths>

void PictureSaver::setImage(const QImage &image)
{
    m_image = image;
    Q_EMIT imageChanged();
}

PictureSaver::Result PictureSaver::writePng(const QImage &image, const QString &path, bool replace)
{
    if (image.isNull())
        return {Failed, QStringLiteral("there is no picture")};
    if (!replace && QFileInfo::exists(path))
        return {Exists, {}};
    // Encoded in memory first: an encoder writing into the file only learns that a write
    // failed ("Unknown error"), while the file knows why (a full disk).
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return {Failed, writer.errorString()};
    // QSaveFile writes next to the target and renames over it on commit; it never falls back to
    // writing into the target itself, so a failure leaves an existing file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {Failed, file.errorString()};
    if (const auto error = writeWhole(file, png))
        return {Failed, *error};
    // A file may have appeared while the picture was encoded.
    if (!replace && QFileInfo::exists(path)) {
        file.cancelWriting();
        return {Exists, {}};
    }
    if (!file.commit())
        return {Failed, file.errorString()};
    return {Saved, {}};
}

QString PictureSaver::pngPath(const QUrl &file)
{
    // Qt's own save dialog may answer with a bare path rather than a file URL.
    QString path = file.isLocalFile()        ? file.toLocalFile()
                   : file.scheme().isEmpty() ? file.path()
                                             : file.toString();
    if (!path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        path += QLatin1String(".png");
    return path;
}

QString PictureSaver::folderOf(const QUrl &file)
{
    return QDir::toNativeSeparators(QFileInfo(pngPath(file)).absolutePath());
}

QString PictureSaver::fileNameOf(const QUrl &file)
{
    return QFileInfo(pngPath(file)).fileName();
}

PictureSaver::Outcome PictureSaver::save(const QUrl &file, bool replace)
{
    // No name is no file: ".png" in the working folder is nothing the user asked for.
    if (file.isEmpty()) {
        setLastError(QStringLiteral("no file name was given"));
        return Failed;
    }
    const QString path = pngPath(file);
    const Result result = writePng(m_image, path, replace);
    setLastError(result.error);
    if (result.outcome == Saved) {
        m_savedFile = QFileInfo(path).absoluteFilePath();
        Q_EMIT savedFileChanged();
    }
    return result.outcome;
}

bool PictureSaver::copyToClipboard() const
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (m_image.isNull() || !clipboard)
        return false;
    clipboard->setImage(m_image);
    return true;
}

bool PictureSaver::openContainingFolder() const
{
    return SystemActions::openContainingFolder(m_savedFile);
}

QUrl PictureSaver::picturesFolder()
{
    for (const auto location : {QStandardPaths::PicturesLocation, QStandardPaths::HomeLocation}) {
        const QString folder = QStandardPaths::writableLocation(location);
        if (!folder.isEmpty() && QDir(folder).exists())
            return QUrl::fromLocalFile(folder);
    }
    return QUrl::fromLocalFile(QDir::homePath());
}

QString PictureSaver::suggestedFileName(const QString &base)
{
    return QStringLiteral("%1 %2.png")
        .arg(base, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss")));
}

void PictureSaver::setLastError(const QString &error)
{
    if (error == m_lastError)
        return;
    m_lastError = error;
    Q_EMIT lastErrorChanged();
}
