#include "ui/SystemActions.h"

#include "ui/PlatformServices.h"
#include "ui/ProductLinks.h"
#include "ui/TextKeys.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QWindow>

void SystemActions::openCameraSettings()
{
    PlatformServices::current().openUrl(QUrl(QString::fromLatin1(ProductLinks::cameraAccessHelp)));
}

void SystemActions::openProductWebSite()
{
    const QUrl url(QString::fromLatin1(ProductLinks::webSite), QUrl::StrictMode);
    if (url.isValid())
        PlatformServices::current().openUrl(url);
}

void SystemActions::writeToSupport()
{
    if (const auto url = supportMailUrl(TextKeys::settingsContactDefaultSubject()))
        PlatformServices::current().openUrl(*url);
}

void SystemActions::rateApp()
{
    // The first active window in the application's order stands for the phone's active scene.
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (QWindow *window : windows) {
        if (window->isActive()) {
            PlatformServices::current().requestReview(window);
            break;
        }
    }
    const QUrl store = ProductLinks::storePage();
    if (store.isValid())
        PlatformServices::current().openUrl(store);
}

bool SystemActions::openContainingFolder(const QString &filePath)
{
    if (filePath.isEmpty())
        return false;
    const QString folder = QFileInfo(filePath).absolutePath();
    return PlatformServices::current().openUrl(QUrl::fromLocalFile(folder));
}

std::optional<QString> SystemActions::encodedPathAllowed(const QString &text)
{
    if (!text.isValidUtf16())
        return std::nullopt;
    // Letters, digits and - . _ ~ are never encoded by toPercentEncoding.
    static const QByteArray alsoAllowed = QByteArrayLiteral("!$&'()*+,;=:/@");
    return QString::fromLatin1(text.toUtf8().toPercentEncoding(alsoAllowed));
}

std::optional<QUrl> SystemActions::supportMailUrl(const QString &subject)
{
    const auto encoded = encodedPathAllowed(subject);
    if (!encoded)
        return std::nullopt;
    const QUrl url(QStringLiteral("mailto:%1?subject=%2")
                       .arg(QLatin1String(ProductLinks::supportMail), *encoded),
                   QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}
