#include "ui/ProductLinks.h"

namespace ProductLinks {

QUrl storePage()
{
    return QUrl(QStringLiteral("https://%1/apps/%2")
                    .arg(QLatin1String(storeHost), QLatin1String(storeIdentifier)),
                QUrl::StrictMode);
}

} // namespace ProductLinks
