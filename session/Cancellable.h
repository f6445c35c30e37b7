#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <memory>
#include <utility>

// A subscription that lasts as long as its holder: resetting, replacing or destroying the
// holder ends it. Deliveries are queued to a context object of its own on the GUI thread, and
// destroying that object both disconnects the signal and drops deliveries already queued, so
// nothing arrives after the cancel, not even a value that was on its way.
class Cancellable
{
public:
    Cancellable() = default;
    ~Cancellable() { cancel(); }
    Cancellable(const Cancellable &) = delete;
    Cancellable &operator=(const Cancellable &) = delete;
    Cancellable(Cancellable &&other) noexcept = default;
    // The subscription held before ends first.
    Cancellable &operator=(Cancellable &&other) noexcept
    {
        if (this != &other) {
            cancel();
            m_context = std::move(other.m_context);
        }
        return *this;
    }

    void cancel() { m_context.reset(); }
    [[nodiscard]] bool isActive() const { return m_context != nullptr; }

    // Delivers every later emission of `signal` to `receive` on the GUI thread's event loop,
    // one per turn in emission order. `current` runs once on the next turn, ahead of them:
    // it hands over the value the publisher holds at subscription time.
    template <typename Sender, typename Signal, typename Receive, typename Current>
    [[nodiscard]] static Cancellable sink(const Sender *sender, Signal signal, Receive receive,
                                          Current current)
    {
        Cancellable subscription(makeContext());
        QMetaObject::invokeMethod(subscription.m_context.get(), std::move(current),
                                  Qt::QueuedConnection);
        QObject::connect(sender, signal, subscription.m_context.get(), std::move(receive),
                         Qt::QueuedConnection);
        return subscription;
    }

private:
    explicit Cancellable(std::unique_ptr<QObject> context) : m_context(std::move(context)) {}

    static std::unique_ptr<QObject> makeContext()
    {
        auto context = std::make_unique<QObject>();
        if (QCoreApplication *app = QCoreApplication::instance();
            app && context->thread() != app->thread())
            context->moveToThread(app->thread());
        return context;
    }

    std::unique_ptr<QObject> m_context;
};
