#include "ui/DesktopServices.h"

#include <QDesktopServices>

bool DesktopServices::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

void DesktopServices::requestReview(QWindow *)
{
    // Desktop stores rate from their own pages; the store page opened afterwards is the prompt.
}
