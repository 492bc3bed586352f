#include "platform/qt/BackingStorePrefault.h"

#include <QBackingStore>
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace platform::qt {

BackingStorePrefault::BackingStorePrefault(QWidget& window)
{
#ifdef MADV_POPULATE_WRITE
    if (!window.isWindow())
        return;
    // The native window, and with it the store, which the first paint would otherwise size.
    window.winId();
    QBackingStore* store = window.backingStore();
    if (!store)
        return;
    store->resize(window.size());
    // The store's paint device is defined only while a paint is open; an empty one draws
    // nothing.
    store->beginPaint(QRegion());
    QPaintDevice* device = store->paintDevice();
    store->endPaint();
    if (!device || device->devType() != QInternal::Image)
        return;
    const auto& image = *static_cast<const QImage*>(device);
    if (image.isNull())
        return;
    const auto pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto first = reinterpret_cast<std::uintptr_t>(image.constBits());
    const std::uintptr_t begin = first & ~(pageSize - 1);
    const std::uintptr_t end = first + static_cast<std::uintptr_t>(image.sizeInBytes());
    // A failure (an old kernel, a store freed meanwhile) leaves the pages to fault as before.
    m_thread = std::jthread([begin, end] {
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
    });
#else
    (void)window;
#endif
}

BackingStorePrefault::~BackingStorePrefault() = default;

} // namespace platform::qt
