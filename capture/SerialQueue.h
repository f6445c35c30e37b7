#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class QObject;

// A serial work queue with a label: one worker thread, items run one at a time in the order
// they were enqueued. Work can be delayed, and the queue can be suspended (items queued
// meanwhile wait; suspensions nest). SerialQueue::main() runs its items on the GUI thread,
// one per turn of the event loop, so user-interface events interleave with them.
//
// The worker thread runs a Qt event loop, so QObjects created by an item live on a thread
// that delivers their events. The queue's own bookkeeping is internal; callers never hold a
// lock and an item may enqueue further work on any queue, including its own.
class SerialQueue final
{
public:
    using Work = std::function<void()>;

    explicit SerialQueue(QString label);
    // Drops the items that have not started and waits for the running one (see shutdown()).
    ~SerialQueue();
    SerialQueue(const SerialQueue &) = delete;
    SerialQueue &operator=(const SerialQueue &) = delete;

    // The GUI thread's queue; needs the application object before its first item runs.
    [[nodiscard]] static SerialQueue &main();

    [[nodiscard]] QString label() const;

    void async(Work work);
    // The item is skipped if `context` is destroyed before the item runs. Only useful with
    // a context that lives on this queue's thread (checked there); the caller must know the
    // context is alive at the time of the call.
    void async(QObject *context, Work work);
    // Enqueues the item once the delay has passed; it then waits its turn like any other.
    void asyncAfter(std::chrono::milliseconds delay, Work work);

    void suspend();
    // Undoes one suspend(); the queue runs again when every suspend() has been undone.
    void resume();

    // Stops the queue for good: items not yet started are dropped (delayed ones too), the
    // running item is waited for, and later async() calls do nothing. `last`, if given, runs
    // on the worker thread after the running item, even while suspended; use it to release
    // objects that live there. Not available for main(); idempotent.
    void shutdown(Work last = {});

    // True on the thread that runs this queue's items.
    [[nodiscard]] bool isCurrent() const;

private:
    struct MainTag
    {
    };
    SerialQueue(QString label, MainTag);

    struct State;
    struct Item;
    static void postDrainLocked(const std::shared_ptr<State> &state);
    static void drain(const std::shared_ptr<State> &state);
    static void enqueue(const std::shared_ptr<State> &state, Item item);

    std::shared_ptr<State> m_state;
};
