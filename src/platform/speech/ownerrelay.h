#pragma once

#include <QMetaObject>
#include <QObject>

#include <memory>
#include <mutex>
#include <utility>

namespace narrata {

// Queues calls to an object on the thread that created it, from any thread, for as long as the
// object is there. The object owns its relay; a thread that may outlive it keeps a sender. A
// call queued before the object went, or sent after, finds no object instead of a dangling one,
// even when the object is deleted from inside a call (a delegate deleting its synthesizer from
// its report).
template<typename Owner> class OwnerRelay {
    struct Shared {
        std::mutex mutex;
        QObject *context = nullptr; // lives on the owner's thread; null once the owner went
        Owner *owner = nullptr; // read and written on the owner's thread only
    };

public:
    // Callable from any thread, before or after the owner went.
    class Sender {
    public:
        template<typename Call> void operator()(Call call) const
        {
            const std::lock_guard lock(m_shared->mutex);
            if (!m_shared->context)
                return;
            QMetaObject::invokeMethod(
                m_shared->context,
                [shared = m_shared, call = std::move(call)] {
                    if (shared->owner)
                        call(*shared->owner);
                },
                Qt::QueuedConnection);
        }

    private:
        friend class OwnerRelay;
        explicit Sender(std::shared_ptr<Shared> shared)
            : m_shared(std::move(shared))
        {
        }
        std::shared_ptr<Shared> m_shared;
    };

    explicit OwnerRelay(Owner *owner)
        : m_shared(std::make_shared<Shared>())
    {
        m_shared->context = new QObject;
        m_shared->owner = owner;
    }
    // Nothing reaches the owner after this; the context goes through the event loop, after the
    // calls already queued to it.
    ~OwnerRelay()
    {
        QObject *context = nullptr;
        {
            const std::lock_guard lock(m_shared->mutex);
            std::swap(context, m_shared->context);
            m_shared->owner = nullptr;
        }
        context->deleteLater();
    }
    OwnerRelay(const OwnerRelay &) = delete;
    OwnerRelay &operator=(const OwnerRelay &) = delete;

    Sender sender() const { return Sender(m_shared); }
    template<typename Call> void post(Call call) const { sender()(std::move(call)); }

private:
    std::shared_ptr<Shared> m_shared;
};

} // namespace narrata
