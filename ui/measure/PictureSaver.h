#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqml.h>

// What the share sheet does with the exported picture on the desktop: save it as a PNG file,
// put it on the clipboard, show the folder it was saved in. Saving is all or nothing: the file
// appears complete or not at all, and an existing file is only replaced when asked to.
class PictureSaver : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QImage image READ image WRITE setImage NOTIFY imageChanged FINAL)
    // The file last saved, empty before the first save.
    Q_PROPERTY(QString savedFile READ savedFile NOTIFY savedFileChanged FINAL)
    // Why the last save failed, as the system put it; empty after a success.
    Q_PROPERTY(QString lastError READ lastError NOTIFY lastErrorChanged FINAL)

public:
    enum Outcome
    {
        Saved,
        // Nothing written: the file exists and replacing was not asked for.
        Exists,
        // Nothing written, nothing changed on disk; see lastError.
        Failed
    };
    Q_ENUM(Outcome)

    struct Result
    {
        Outcome outcome;
        QString error;
    };

    explicit PictureSaver(QObject *parent = nullptr) : QObject(parent) {}

    [[nodiscard]] const QImage &image() const { return m_image; }
    void setImage(const QImage &image);
    [[nodiscard]] const QString &savedFile() const { return m_savedFile; }
    [[nodiscard]] const QString &lastError() const { return m_lastError; }

    // Writes `image` as a PNG at `path` through a temporary file in the same folder that takes
    // the final name only when complete.
    [[nodiscard]] static Result writePng(const QImage &image, const QString &path, bool replace);
    // The path a chosen file is saved at: with ".png" added unless it already ends so.
    [[nodiscard]] Q_INVOKABLE static QString pngPath(const QUrl &file);
    // The folder and the name of that path, for messages.
    [[nodiscard]] Q_INVOKABLE static QString folderOf(const QUrl &file);
    [[nodiscard]] Q_INVOKABLE static QString fileNameOf(const QUrl &file);

    Q_INVOKABLE Outcome save(const QUrl &file, bool replace);
    Q_INVOKABLE bool copyToClipboard() const;
    // Through the platform services; false when there is no saved file or nothing opened it.
    Q_INVOKABLE bool openContainingFolder() const;

    // Where the save dialog starts: the user's pictures folder, or home when there is none.
    [[nodiscard]] Q_INVOKABLE static QUrl picturesFolder();
    // A name that sorts by time and does not clash: "<base> 2024-05-01 14.03.22.png".
    [[nodiscard]] Q_INVOKABLE static QString suggestedFileName(const QString &base);

Q_SIGNALS:
    void imageChanged();
    void savedFileChanged();
    void lastErrorChanged();

private:
    void setLastError(const QString &error);

    QImage m_image;
    QString m_savedFile;
    QString m_lastError;
};
