#include "ui/measure/CameraErrorCase.h"

#include "capture/CameraManager.h"

#include <QMetaEnum>

#include <cmath>
#include <optional>

namespace {

std::optional<CameraManager::CameraError> cameraError(const QVariant &error)
{
    if (error.metaType() == QMetaType::fromType<CameraManager::CameraError>())
        return error.value<CameraManager::CameraError>();
    // Through QML the enum arrives as a plain number.
    const int type = error.metaType().id();
    if (type != QMetaType::Int && type != QMetaType::Double && type != QMetaType::LongLong)
        return std::nullopt;
    const double number = error.toDouble();
    if (number != std::floor(number))
        return std::nullopt;
    const auto errors = QMetaEnum::fromType<CameraManager::CameraError>();
    if (!errors.valueToKey(int(number)))
        return std::nullopt;
    return CameraManager::CameraError(int(number));
}

} // namespace

CameraErrorCase::Case CameraErrorCase::caseFor(const QVariant &error)
{
    const auto camera = cameraError(error);
    if (!camera)
        return Nothing;
    if (CameraManager::isPermissionError(*camera))
        return PermissionMissing;
    if (*camera == CameraManager::CameraError::unreadablePhoto)
        return UnreadablePhoto;
    return CameraFailure;
}
