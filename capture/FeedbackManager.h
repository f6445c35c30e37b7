#pragma once

#include <QObject>

#include <atomic>
#include <memory>

// A light haptic tap when a dragged point of a selected target is let go. The output is
// pluggable: a phone would drive its vibration motor; the desktop output counts the taps.
class FeedbackManager : public QObject
{
    Q_OBJECT

public:
    // Where the taps go. prepare() is called once, when the manager is created.
    class Output
    {
    public:
        virtual ~Output() = default;
        virtual void prepare() = 0;
        virtual void impactOccurred() = 0;
    };

    // Desktop computers have nothing to vibrate; the count lets tests and the debug overlay
    // see the taps.
    class CountingOutput final : public Output
    {
    public:
        void prepare() override { ++m_prepared; }
        void impactOccurred() override { ++m_impacts; }
        [[nodiscard]] int preparedCount() const { return m_prepared.load(); }
        [[nodiscard]] int impactCount() const { return m_impacts.load(); }

    private:
        std::atomic<int> m_prepared{0};
        std::atomic<int> m_impacts{0};
    };

    // Created on first use with a CountingOutput; never destroyed.
    [[nodiscard]] static FeedbackManager &shared();

    explicit FeedbackManager(std::unique_ptr<Output> impact, QObject *parent = nullptr);

    // Main thread only.
    Q_INVOKABLE void impactOccurred();

    [[nodiscard]] Output &impact() { return *m_impact; }

private:
    std::unique_ptr<Output> m_impact;
};
