#include "capture/SerialQueue.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// Collects values from any thread.
class Recorder
{
public:
    void add(int value)
    {
        std::lock_guard lock(m_mutex);
        m_values.push_back(value);
    }
    std::vector<int> values()
    {
        std::lock_guard lock(m_mutex);
        return m_values;
    }
    size_t size() { return values().size(); }

private:
    std::mutex m_mutex;
    std::vector<int> m_values;
};

// Waits until an item queued on a fresh queue now has run: the time any other queue needed to
// run what it was given. What a suspended or stopped queue has not run by then, it held back.
void letAnotherQueueRun(std::chrono::milliseconds delay = std::chrono::milliseconds(0))
{
    SerialQueue other(QStringLiteral("org.mirrel.test.other"));
    std::atomic<bool> ran{false};
    other.asyncAfter(delay, [&] { ran = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return ran.load(); }));
}

std::vector<int> upTo(int count)
{
    std::vector<int> values(size_t(count), 0);
    std::iota(values.begin(), values.end(), 0);
    return values;
}

} // namespace

// Guards against items overtaking each other (delayed ones too), running on two threads, or
// deadlocking when they enqueue more work.
TEST(SerialQueue, runs_items_one_at_a_time_in_order_on_one_worker_thread)
{
    SerialQueue queue(QStringLiteral("org.mirrel.test.fifo"));
    EXPECT_FALSE(queue.isCurrent());
    Recorder order;
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false}, onQueue{true};
    std::atomic<QThread *> worker{nullptr};
    constexpr int count = 2000;
    for (int i = 0; i < count; ++i) {
        queue.async([&, i] {
            overlapped = overlapped || running.fetch_add(1) != 0;
            onQueue = onQueue && queue.isCurrent();
            QThread *expected = nullptr;
            if (!worker.compare_exchange_strong(expected, QThread::currentThread()))
                onQueue = onQueue && expected == QThread::currentThread();
            order.add(i);
            running.fetch_sub(1);
        });
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() == count; }));
    EXPECT_EQ(order.values(), upTo(count));
    EXPECT_FALSE(overlapped);
    EXPECT_TRUE(onQueue);
    EXPECT_NE(worker.load(), QThread::currentThread());

    // A delayed item neither runs early nor blocks the items queued after it.
    Recorder delayed;
    queue.asyncAfter(300ms, [&] { delayed.add(2); });
    queue.asyncAfter(100ms, [&] { delayed.add(1); });
    queue.async([&] { queue.async([&] { delayed.add(0); }); }); // no lock held across an item
    ASSERT_TRUE(QTest::qWaitFor([&] { return delayed.size() == 3; }));
    EXPECT_EQ(delayed.values(), upTo(3));
}

// Guards nested suspension and items (queued or coming due) slipping through it.
TEST(SerialQueue, suspension_nests_and_holds_queued_and_delayed_items)
{
    SerialQueue queue(QStringLiteral("org.mirrel.test.suspend"));
    Recorder order;
    queue.suspend();
    queue.suspend();
    queue.async([&] { order.add(1); });
    queue.asyncAfter(20ms, [&] { order.add(2); });
    queue.async([&] { order.add(3); });
    letAnotherQueueRun(20ms); // the delayed item has come due
    EXPECT_EQ(order.size(), 0u);

    queue.resume();
    letAnotherQueueRun();
    EXPECT_EQ(order.size(), 0u) << "one resume undid two suspensions";

    std::thread([&] { queue.resume(); }).join(); // as the access answer does
    ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() == 3; }));
    // The delayed item came due while suspended, after 1 and 3 had been queued.
    EXPECT_EQ(order.values(), (std::vector<int>{1, 3, 2}));
}

// Guards main-queue items off the GUI thread or touching a destroyed context.
TEST(SerialQueue, main_queue_runs_on_the_gui_thread_and_skips_dead_contexts)
{
    SerialQueue &main = SerialQueue::main();
    EXPECT_TRUE(main.isCurrent());

    SerialQueue worker(QStringLiteral("org.mirrel.test.worker"));
    Recorder order;
    std::atomic<bool> allOnGui{true};
    worker.async([&] {
        EXPECT_FALSE(main.isCurrent());
        for (int i = 0; i < 100; ++i) {
            main.async([&, i] {
                allOnGui = allOnGui && QThread::currentThread() == qApp->thread();
                order.add(i);
            });
        }
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() == 100; }));
    EXPECT_EQ(order.values(), upTo(100));
    EXPECT_TRUE(allOnGui);

    auto *context = new QObject;
    bool ran = false;
    main.async(context, [&] { ran = true; });
    delete context;
    bool after = false;
    main.async([&] { after = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return after; }));
    EXPECT_FALSE(ran);
}

// Guards against a hang or use-after-free when a queue is destroyed with work pending.
TEST(SerialQueue, shutdown_drops_waiting_work_and_waits_for_the_running_item)
{
    std::atomic<int> ran{0};
    {
        SerialQueue queue(QStringLiteral("org.mirrel.test.shutdown"));
        std::atomic<bool> started{false};
        queue.async([&] {
            started = true;
            QThread::msleep(50); // still running when the queue goes
            ++ran;
        });
        queue.async([&] { ran += 100; });
        queue.asyncAfter(50ms, [&] { ran += 1000; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return started.load(); }));
    }
    EXPECT_EQ(ran.load(), 1) << "the running item finished, the waiting ones were dropped";
    letAnotherQueueRun(50ms); // the delayed item would have come due
    EXPECT_EQ(ran.load(), 1);

    {
        SerialQueue suspended(QStringLiteral("org.mirrel.test.suspended"));
        suspended.suspend();
        suspended.async([&] { ran += 10; });
        bool last = false;
        suspended.shutdown([&] { last = true; });
        EXPECT_TRUE(last) << "the final work runs even while suspended";
        suspended.async([&] { ran += 10; }); // after shutdown: nothing
    }
    EXPECT_EQ(ran.load(), 1);

    // A queue torn down by its own item must not wait for itself.
    auto *self = new SerialQueue(QStringLiteral("org.mirrel.test.self"));
    std::atomic<bool> done{false};
    self->async([&] {
        delete self;
        done = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.load(); }));
}
