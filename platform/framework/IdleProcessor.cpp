#include "platform/framework/IdleProcessor.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QThread>

namespace platform::framework {

namespace {

const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// A wake-up; only the latest one posted runs the hook.
class WakeEvent : public QEvent
{
public:
    explicit WakeEvent(unsigned serial) : QEvent(kWakeEvent), serial(serial) {}
    unsigned serial;
};

bool isIdleEvent(const QEvent* event)
{
    // Events that do not end an idle period: painting and our own wake-up, as a repaint after
    // the idle work must not run the idle work again.
    switch (event->type()) {
    case QEvent::Paint:
    case QEvent::UpdateRequest:
    case QEvent::UpdateLater:
    case QEvent::LayoutRequest:
    case QEvent::DeferredDelete:
        return true;
    default:
        return event->type() == kWakeEvent;
    }
}

} // namespace

IdleProcessor::IdleProcessor(Hook hook, QObject* parent) : QObject(parent), m_hook(std::move(hook))
{
    QCoreApplication::instance()->installEventFilter(this);
    if (auto* dispatcher = QAbstractEventDispatcher::instance(thread())) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &IdleProcessor::aboutToBlock, Qt::DirectConnection);
    }
}

IdleProcessor::~IdleProcessor()
{
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

void IdleProcessor::setEnabled(bool enabled)
{
    m_enabled = enabled;
    m_dirty = true;
}

bool IdleProcessor::eventFilter(QObject* watched, QEvent* event)
{
    if (!isIdleEvent(event)) {
        m_dirty = true;
    }
    return QObject::eventFilter(watched, event);
}

void IdleProcessor::aboutToBlock()
{
    // Only schedule here: the hook runs from the wake event, in ordinary event delivery, so it
    // may do anything a handler may (open windows, send messages).
    if (!m_enabled || m_wakePending || (!m_dirty && !m_more)) {
        return;
    }
    if (QThread::currentThread()->loopLevel() != m_loopLevel) {
        return; // a nested (modal) loop: idle work waits for the outer loop
    }
    if (!m_more) {
        m_count = 0;
    }
    m_dirty = false;
    postWake(Qt::LowEventPriority);
}

void IdleProcessor::wakeSoon()
{
    if (!m_enabled) {
        return;
    }
    if (!m_more) {
        m_count = 0;
    }
    m_dirty = false;
    // Posted again at normal priority even when a low-priority wake waits: that one would run
    // only after the repaints.
    postWake(Qt::NormalEventPriority);
}

void IdleProcessor::postWake(Qt::EventPriority priority)
{
    m_wakePending = true;
    QCoreApplication::postEvent(this, new WakeEvent(++m_wakeSerial), priority);
}

void IdleProcessor::customEvent(QEvent* event)
{
    if (event->type() != kWakeEvent) {
        QObject::customEvent(event);
        return;
    }
    if (static_cast<WakeEvent*>(event)->serial != m_wakeSerial) {
        return; // a later wake was posted ahead of this one and has run (or will run) the hook
    }
    m_wakePending = false;
    if (!m_enabled || QThread::currentThread()->loopLevel() != m_loopLevel) {
        m_dirty = true; // try again when the outer loop is back
        return;
    }
    runHook();
}

void IdleProcessor::runHook()
{
    bool more = false;
    try {
        more = m_hook ? m_hook(m_count) : false;
    } catch (...) {
        // An exception must not reach the event loop; the hook's owner reports its own errors.
        more = false;
    }
    m_more = more;
    m_count = more ? m_count + 1 : 0;
}

} // namespace platform::framework
