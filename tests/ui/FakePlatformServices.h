#pragma once

#include "ui/PlatformServices.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWindow>

#include <memory>

// Records what the screens ask of the desktop, in order, instead of opening anything.
class FakePlatformServices final : public PlatformServices
{
public:
    bool openUrl(const QUrl &url) override
    {
        calls.append(QStringLiteral("open ") + url.toString(QUrl::FullyEncoded));
        urls.append(url);
        return openSucceeds;
    }
    void requestReview(QWindow *activeWindow) override
    {
        calls.append(QStringLiteral("review"));
        reviewWindow = activeWindow;
    }

    QStringList calls;
    QList<QUrl> urls;
    QPointer<QWindow> reviewWindow;
    bool openSucceeds = true;
};

// Installs a fake for the life of a test and puts the desktop's services back afterwards.
class FakePlatformServicesScope
{
public:
    FakePlatformServicesScope() : m_fake(std::make_shared<FakePlatformServices>())
    {
        PlatformServices::install(m_fake);
    }
    ~FakePlatformServicesScope() { PlatformServices::install(nullptr); }

    FakePlatformServices &operator*() { return *m_fake; }
    FakePlatformServices *operator->() { return m_fake.get(); }

private:
    std::shared_ptr<FakePlatformServices> m_fake;
};
