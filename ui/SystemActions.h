#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqml.h>

#include <optional>

// The requests the screens send out of the program, through the current PlatformServices:
// the camera-permission help, the product web site, a mail to support, the store's rating
// prompt and page, and a folder in the file manager.
class SystemActions : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit SystemActions(QObject *parent = nullptr) : QObject(parent) {}

    // The error view's button: how to let Mirrel use the camera.
    Q_INVOKABLE static void openCameraSettings();
    Q_INVOKABLE static void openProductWebSite();
    // A mail to support with the resolved default subject.
    Q_INVOKABLE static void writeToSupport();
    // The rating prompt over the active window, if any window is active, then the store page.
    Q_INVOKABLE static void rateApp();
    // Shows the folder that holds `filePath`; false when nothing could open it.
    Q_INVOKABLE static bool openContainingFolder(const QString &filePath);

    // Percent-encodes every character but ASCII letters and digits and - . _ ~ ! $ & ' ( ) * +
    // , ; = : / @, writing UTF-8 bytes as %XX. None for text that is not valid UTF-16.
    [[nodiscard]] static std::optional<QString> encodedPathAllowed(const QString &text);
    // "mailto:<support>?subject=<encoded subject>", or none when it cannot be built.
    [[nodiscard]] static std::optional<QUrl> supportMailUrl(const QString &subject);
};
