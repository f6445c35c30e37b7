#pragma once

#include "core/TargetModel.h"
#include "session/CameraState.h"

#include <QObject>
#include <QtQml/qqml.h>

// The measurement screen's states and target kinds as QML can name them: QML cannot build a
// CameraState itself, and reaches no enum value that starts with a small letter. For views
// shown without a session (previews, the gallery) and for the add buttons.
class CameraStates : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    // TargetModel::Measurable, for addMeasurableAction.
    Q_PROPERTY(int line READ line CONSTANT FINAL)
    Q_PROPERTY(int rectangle READ rectangle CONSTANT FINAL)

public:
    explicit CameraStates(QObject *parent = nullptr) : QObject(parent) {}

    [[nodiscard]] static int line() { return int(TargetModel::Measurable::line); }
    [[nodiscard]] static int rectangle() { return int(TargetModel::Measurable::rectangle); }

    [[nodiscard]] Q_INVOKABLE static CameraState takePicture()
    {
        return CameraState::takePicture();
    }
    [[nodiscard]] Q_INVOKABLE static CameraState confirmCardSelection(bool foundAutomatically)
    {
        return CameraState::confirmCardSelection(foundAutomatically);
    }
    [[nodiscard]] Q_INVOKABLE static CameraState addTarget(bool selected)
    {
        return CameraState::addTarget(selected);
    }
    [[nodiscard]] Q_INVOKABLE static CameraState exportPicture()
    {
        return CameraState::exportPicture();
    }
};
