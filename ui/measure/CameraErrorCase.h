#pragma once

#include <QObject>
#include <QVariant>
#include <QtQml/qqml.h>

// Which message the picture area shows for the camera's error: the permission is missing (the
// user can fix it), the camera failed otherwise, the given photo cannot be read, or nothing to
// report.
class CameraErrorCase : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    // Capitalised: QML reaches only enum values that start with a capital letter.
    enum Case
    {
        PermissionMissing,
        CameraFailure,
        UnreadablePhoto,
        Nothing
    };
    Q_ENUM(Case)

    explicit CameraErrorCase(QObject *parent = nullptr) : QObject(parent) {}

    // `error` as the session publishes it: absent, or a CameraManager::CameraError (which QML
    // hands over as its number). Anything else is not a camera error and shows nothing.
    [[nodiscard]] Q_INVOKABLE static Case caseFor(const QVariant &error);
};
