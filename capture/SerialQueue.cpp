#include "capture/SerialQueue.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <deque>
#include <exception>
#include <mutex>

struct SerialQueue::Item
{
    Work work;
    QPointer<QObject> context;
    bool hasContext = false;
};

struct SerialQueue::State
{
    QString label;
    QThread *thread = nullptr; // null for the main queue
    QObject *pump = nullptr;   // lives on `thread`; the application object stands in for main

    std::mutex mutex;
    std::deque<Item> items;
    int suspendCount = 0;
    bool drainPosted = false;
    bool stopped = false;

    // Where drain events and timers go; null once the queue is gone or before the
    // application object exists.
    QObject *target() const { return pump ? pump : QCoreApplication::instance(); }
};

// Exactly one drain event is in flight while the queue has runnable items, so a nested event
// loop inside an item cannot start the next item early.
// Called with the mutex held.
void SerialQueue::postDrainLocked(const std::shared_ptr<State> &state)
{
    if (state->drainPosted || state->stopped || state->suspendCount > 0 || state->items.empty())
        return;
    QObject *target = state->target();
    if (!target)
        return; // the main queue before the application object exists: runs on a later post
    state->drainPosted = true;
    QMetaObject::invokeMethod(
        target, [state] { drain(state); }, Qt::QueuedConnection);
}

void SerialQueue::drain(const std::shared_ptr<State> &state)
{
    // Runs the items that were waiting when this turn began; those enqueued meanwhile wait
    // for the next turn, so other events (user input, the platform's own) get their share.
    size_t batch = 0;
    {
        std::lock_guard lock(state->mutex);
        batch = state->items.size();
    }
    for (; batch > 0; --batch) {
        Item item;
        {
            std::lock_guard lock(state->mutex);
            // An item may have suspended or stopped the queue.
            if (state->stopped || state->suspendCount > 0 || state->items.empty())
                break;
            item = std::move(state->items.front());
            state->items.pop_front();
        }
        if (!item.hasContext || item.context) {
            try {
                item.work();
            } catch (const std::exception &e) {
                std::fprintf(stderr, "%s: work item failed: %s\n", qPrintable(state->label),
                             e.what());
            } catch (...) {
                std::fprintf(stderr, "%s: work item failed\n", qPrintable(state->label));
            }
        }
    }
    std::lock_guard lock(state->mutex);
    state->drainPosted = false; // held while items ran, so no second drain could start
    postDrainLocked(state);
}

void SerialQueue::enqueue(const std::shared_ptr<State> &state, Item item)
{
    std::lock_guard lock(state->mutex);
    if (state->stopped)
        return;
    state->items.push_back(std::move(item));
    postDrainLocked(state);
}

SerialQueue::SerialQueue(QString label) : m_state(std::make_shared<State>())
{
    m_state->label = std::move(label);
    m_state->thread = new QThread;
    m_state->thread->setObjectName(m_state->label);
    m_state->pump = new QObject;
    m_state->pump->moveToThread(m_state->thread);
    m_state->thread->start();
}

SerialQueue::SerialQueue(QString label, MainTag) : m_state(std::make_shared<State>())
{
    m_state->label = std::move(label);
}

SerialQueue::~SerialQueue()
{
    shutdown();
}

SerialQueue &SerialQueue::main()
{
    // Never destroyed: items may still be posted while the process exits.
    static SerialQueue *const queue = new SerialQueue(QStringLiteral("main"), MainTag{});
    return *queue;
}

QString SerialQueue::label() const
{
    return m_state->label;
}

void SerialQueue::async(Work work)
{
    enqueue(m_state, {std::move(work), {}, false});
}

void SerialQueue::async(QObject *context, Work work)
{
    enqueue(m_state, {std::move(work), QPointer<QObject>(context), true});
}

void SerialQueue::asyncAfter(std::chrono::milliseconds delay, Work work)
{
    if (delay.count() <= 0) {
        async(std::move(work));
        return;
    }
    const QDeadlineTimer deadline(delay.count(), Qt::PreciseTimer);
    std::lock_guard lock(m_state->mutex);
    QObject *target = m_state->target();
    if (m_state->stopped || !target)
        return;
    // The timer must be created on the queue's own thread; the pump (or the application
    // object) owns it, so shutting the queue down cancels it.
    std::shared_ptr<State> state = m_state;
    QMetaObject::invokeMethod(
        target,
        [state, target, deadline, work = std::move(work)] {
            QTimer::singleShot(std::chrono::milliseconds(deadline.remainingTime()),
                               Qt::PreciseTimer, target, [state, work] {
                                   enqueue(state, {work, {}, false});
                               });
        },
        Qt::QueuedConnection);
}

void SerialQueue::suspend()
{
    std::lock_guard lock(m_state->mutex);
    ++m_state->suspendCount;
}

void SerialQueue::resume()
{
    std::lock_guard lock(m_state->mutex);
    Q_ASSERT(m_state->suspendCount > 0);
    if (m_state->suspendCount > 0)
        --m_state->suspendCount;
    postDrainLocked(m_state);
}

void SerialQueue::shutdown(Work last)
{
    std::deque<Item> dropped;
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->stopped || !m_state->thread)
            return;
        m_state->stopped = true;
        dropped.swap(m_state->items);
    }
    dropped.clear(); // outside the lock: releasing a capture may run arbitrary code

    QThread *thread = m_state->thread;
    QObject *pump = m_state->pump;
    QMetaObject::invokeMethod(
        pump,
        [thread, last = std::move(last)] {
            if (last)
                last();
            thread->quit();
        },
        Qt::QueuedConnection);

    if (QThread::currentThread() == thread) {
        // An item is shutting down its own queue: it cannot wait for itself.
        QObject::connect(thread, &QThread::finished, pump, &QObject::deleteLater);
        QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
        return;
    }
    thread->wait();
    delete pump;
    delete thread;
}

bool SerialQueue::isCurrent() const
{
    if (m_state->thread)
        return QThread::currentThread() == m_state->thread;
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}
