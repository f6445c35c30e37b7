#include "session/CameraState.h"

QString CameraState::name() const
{
    switch (m_kind) {
    case Kind::confirmCardSelection:
        return QStringLiteral("confirmCardSelection");
    case Kind::addTarget:
        return QStringLiteral("addTarget");
    case Kind::takePicture:
        return QStringLiteral("takePicture");
    case Kind::export_:
        return QStringLiteral("export");
    }
    return {};
}

QString CameraState::hint() const
{
    switch (m_kind) {
    case Kind::takePicture:
        return QStringLiteral("Main_hintTakePicture");
    case Kind::confirmCardSelection:
        return QStringLiteral("Main_hintConfirmCardSelectionCard");
    case Kind::addTarget:
        return m_flag ? QStringLiteral("Main_hintAddTargetSelected")
                      : QStringLiteral("Main_hintAddTarget");
    case Kind::export_:
        return QStringLiteral("Main_hintExport");
    }
    return {};
}

CameraState CameraState::successor() const
{
    switch (m_kind) {
    case Kind::takePicture:
        // Recorded as not found even when the card came from the detector: the banner and
        // the buttons look the same either way.
        return confirmCardSelection(false);
    case Kind::confirmCardSelection:
        return addTarget(false);
    case Kind::addTarget:
        return addTarget(!m_flag);
    case Kind::export_:
        return *this;
    }
    return *this;
}
