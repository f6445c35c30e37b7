#pragma once

#include "capture/CameraPlatform.h"
#include "capture/SerialQueue.h"

#include <QThread>
#include <QVideoFrame>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// Plays the capture platform as set up; logs every call with its thread.
class FakeCameraPlatform final : public CameraPlatform
{
public:
    struct Call
    {
        std::string name;
        QThread *thread;
    };

    // Set before the camera manager is created.
    int authorization = authorized;
    bool hasCamera = true;
    std::optional<QString> focusFailure;
    std::optional<QString> inputFailure;
    bool acceptsInput = true;
    bool acceptsOutput = true;

    int authorizationStatus() override { return log("authorizationStatus"), authorization; }
    void requestAccess(std::function<void(bool)> completion) override
    {
        log("requestAccess");
        std::lock_guard lock(m_mutex);
        m_access = std::move(completion);
    }
    // Answers the open access question, as the platform would, on a thread of its own.
    void answerAccess(bool granted)
    {
        std::function<void(bool)> completion;
        {
            std::lock_guard lock(m_mutex);
            completion = std::exchange(m_access, {});
        }
        std::thread([completion, granted] { completion(granted); }).join();
    }

    void beginConfiguration() override { log("beginConfiguration"); }
    void commitConfiguration() override { log("commitConfiguration"); }
    bool findBackCamera() override { return log("findBackCamera"), hasCamera; }
    std::optional<QString> setContinuousAutofocus() override
    {
        return log("setContinuousAutofocus"), focusFailure;
    }
    std::optional<QString> createInput() override { return log("createInput"), inputFailure; }
    bool addInput() override
    {
        log("addInput");
        m_inputAdded = m_inputAdded || acceptsInput;
        return acceptsInput;
    }
    bool addVideoOutput() override { return log("addVideoOutput"), acceptsOutput; }
    void startRunning() override { log("startRunning"), m_running = true; }
    void stopRunning() override { log("stopRunning"), m_running = false; }
    bool isRunning() const override { return m_running; }
    void setSampleBufferDelegate(FrameReceiver receiver,
                                 std::shared_ptr<SerialQueue> queue) override
    {
        log(receiver ? "setSampleBufferDelegate" : "clearSampleBufferDelegate");
        std::lock_guard lock(m_mutex);
        m_receiver = std::move(receiver);
        m_queue = std::move(queue);
    }

    // What the camera does with each frame: hand it to the delegate on its queue.
    void deliver(const QVideoFrame &frame)
    {
        std::lock_guard lock(m_mutex);
        if (m_receiver && m_queue)
            m_queue->async([receiver = m_receiver, frame] { receiver(frame); });
    }

    [[nodiscard]] bool hasDelegate()
    {
        std::lock_guard lock(m_mutex);
        return bool(m_receiver);
    }
    [[nodiscard]] bool inputAdded() const { return m_inputAdded; }
    [[nodiscard]] std::vector<Call> calls()
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    [[nodiscard]] std::vector<std::string> names()
    {
        std::vector<std::string> result;
        for (const Call &call : calls())
            result.push_back(call.name);
        return result;
    }

private:
    void log(const std::string &name)
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back({name, QThread::currentThread()});
    }

    std::mutex m_mutex;
    std::vector<Call> m_calls;
    std::function<void(bool)> m_access;
    FrameReceiver m_receiver;
    std::shared_ptr<SerialQueue> m_queue;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_inputAdded{false};
};
