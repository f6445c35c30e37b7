#pragma once

#include "capture/ImageLoader.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

class CameraViewModel;
class QThreadPool;

// Opens a photo the user picked or dropped on the window. The photo is decoded off the GUI
// thread; only when it can be used does it replace the picture, and the session starts a new
// measurement on it (live preview, card searched in it). A photo that cannot be used leaves the
// picture, the card and the targets as they were and says why.
class PhotoOpener : public QObject
{
    Q_OBJECT
    Q_PROPERTY(CameraViewModel *session READ session WRITE setSession NOTIFY sessionChanged FINAL)
    // A photo is being decoded.
    Q_PROPERTY(bool busy READ isBusy NOTIFY busyChanged FINAL)
    // For the file dialog: the photo formats that open.
    Q_PROPERTY(QStringList nameFilters READ nameFilters CONSTANT FINAL)
    // Where a file dialog for photos starts: the pictures folder, else the home folder.
    Q_PROPERTY(QUrl startFolder READ startFolder CONSTANT FINAL)

public:
    explicit PhotoOpener(QObject *parent = nullptr);
    ~PhotoOpener() override;

    [[nodiscard]] CameraViewModel *session() const { return m_session; }
    void setSession(CameraViewModel *session);
    [[nodiscard]] bool isBusy() const { return m_busy; }
    [[nodiscard]] static QStringList nameFilters();
    [[nodiscard]] static QUrl startFolder();

    // A local file URL (from a dialog or a drop) or a plain path. When several photos are
    // opened in quick succession, the last one wins.
    Q_INVOKABLE void open(const QUrl &url);
    void openPath(const QString &path);

    // Why the loader could not use a photo, as one sentence in the interface's language that
    // names the file by its name alone; empty when the loader gave no reason.
    [[nodiscard]] static QString reason(const ImageLoader::Result &failure);

Q_SIGNALS:
    void sessionChanged();
    void busyChanged();
    // The photo now stands in for the camera.
    void opened(const QString &path);
    // One line for the user, in the interface's language.
    void failed(const QString &message);

private:
    void finish(quint64 request, const QString &path, const ImageLoader::Result &loaded);
    void setBusy(bool busy);

    QPointer<CameraViewModel> m_session;
    QThreadPool *m_decoding; // a child: waits for a decode still running when the opener goes
    quint64 m_lastRequest = 0;
    bool m_busy = false;
};
