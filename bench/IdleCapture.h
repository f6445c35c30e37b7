#pragma once

#include "capture/CameraManager.h"
#include "capture/CameraPlatform.h"
#include "capture/FeedbackManager.h"
#include "capture/FrameManager.h"
#include "capture/ImageProcessor.h"
#include "session/CameraViewModel.h"

#include <memory>

// No camera: a benchmark hands frames to the session itself.
class IdlePlatform final : public CameraPlatform
{
public:
    int authorizationStatus() override { return authorized; }
    void requestAccess(std::function<void(bool)> completion) override { completion(true); }
    void beginConfiguration() override {}
    void commitConfiguration() override {}
    bool findBackCamera() override { return false; }
    std::optional<QString> setContinuousAutofocus() override { return std::nullopt; }
    std::optional<QString> createInput() override { return std::nullopt; }
    bool addInput() override { return false; }
    bool addVideoOutput() override { return false; }
    void startRunning() override {}
    void stopRunning() override {}
    bool isRunning() const override { return false; }
    void setSampleBufferDelegate(FrameReceiver, std::shared_ptr<SerialQueue>) override {}
};

// A session over that platform, as the measurement screen owns one.
struct Capture
{
    std::shared_ptr<IdlePlatform> platform = std::make_shared<IdlePlatform>();
    CameraManager camera{platform, CameraManager::Setup{true, std::nullopt}};
    FrameManager frames{camera, QStringLiteral(":/no-test-frame")};
    ImageProcessor processor;
    FeedbackManager feedback{std::make_unique<FeedbackManager::CountingOutput>()};
    CameraViewModel model{camera, frames, processor, &feedback};
};
