#pragma once

// The session's and the core's types as QML sees them. They live in libraries that know nothing
// of QML, so they are registered here from the outside.

#include "capture/FeedbackManager.h"
#include "core/Distance.h"
#include "core/ReferenceTargetModel.h"
#include "core/Storage.h"
#include "core/TargetModel.h"
#include "session/CameraState.h"
#include "session/CameraViewModel.h"
#include "session/FrameOutput.h"
#include "session/MeasurementActions.h"
#include "session/PhotoOpener.h"

#include <QtQml/qqml.h>

// Created by the measurement screen, which owns its session.
struct CameraViewModelForeign
{
    Q_GADGET
    QML_FOREIGN(CameraViewModel)
    QML_NAMED_ELEMENT(CameraViewModel)
};

struct MeasurementActionsForeign
{
    Q_GADGET
    QML_FOREIGN(MeasurementActions)
    QML_NAMED_ELEMENT(MeasurementActions)
};

// "Open photo…" and dropped files.
struct PhotoOpenerForeign
{
    Q_GADGET
    QML_FOREIGN(PhotoOpener)
    QML_NAMED_ELEMENT(PhotoOpener)
};

// Created once by the application's window and handed to every screen.
struct StorageForeign
{
    Q_GADGET
    QML_FOREIGN(Storage)
    QML_NAMED_ELEMENT(Storage)
};

struct TargetModelForeign
{
    Q_GADGET
    QML_FOREIGN(TargetModel)
    QML_NAMED_ELEMENT(TargetModel)
    QML_UNCREATABLE("Targets are created by the measurement actions.")
};

struct ReferenceTargetModelForeign
{
    Q_GADGET
    QML_FOREIGN(ReferenceTargetModel)
    QML_NAMED_ELEMENT(ReferenceTargetModel)
    QML_UNCREATABLE("The card is created by the measurement actions.")
};

struct FeedbackManagerForeign
{
    Q_GADGET
    QML_FOREIGN(FeedbackManager)
    QML_NAMED_ELEMENT(FeedbackManager)
    QML_UNCREATABLE("One per process.")
};

struct CameraStateForeign
{
    Q_GADGET
    QML_FOREIGN(CameraState)
    QML_VALUE_TYPE(cameraState)
};

struct FrameOutputForeign
{
    Q_GADGET
    QML_FOREIGN(FrameOutput)
    QML_VALUE_TYPE(frameOutput)
};

struct DistanceForeign
{
    Q_GADGET
    QML_FOREIGN(Distance)
    QML_VALUE_TYPE(distance)
};

struct DraggedPointForeign
{
    Q_GADGET
    QML_FOREIGN(DraggedPoint)
    QML_VALUE_TYPE(draggedPoint)
};
