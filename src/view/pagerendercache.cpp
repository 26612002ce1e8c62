#include "pagerendercache.h"

#include "platform/pdf/pdfdocument.h"

#include <QPointer>
#include <QRunnable>

#include <algorithm>
#include <cmath>

namespace narrata {

namespace {

// Enough for a few dozen pages at a large window's scale; older pages are drawn again.
constexpr qint64 kBudgetBytes = qint64(384) * 1024 * 1024;

// The image takes over the page's bytes instead of copying them, and frees them when its last
// copy goes.
QImage wrapped(PageImage page)
{
    if (page.isNull())
        return {};
    auto *bytes = new QByteArray(std::move(page.pixels));
    return QImage(
        reinterpret_cast<uchar *>(bytes->data()), page.width, page.height, page.bytesPerLine, QImage::Format_RGB888,
        [](void *kept) { delete static_cast<QByteArray *>(kept); }, bytes);
}

} // namespace

PageRenderCache::PageRenderCache(QObject *parent)
    : QObject(parent)
{
    // One thread is left for the interface and the speech engine.
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
}

PageRenderCache::~PageRenderCache()
{
    m_pool.clear();
    m_pool.waitForDone();
}

int PageRenderCache::scaleKeyOf(double scale)
{
    return static_cast<int>(std::lround(scale * 1000));
}

void PageRenderCache::setDocument(const PDFDocument *document)
{
    for (const Pending &pending : std::as_const(m_pending))
        pending.cancelled->store(true);
    m_pending.clear();
    m_images.clear();
    m_recentlyUsed.clear();
    m_bytes = 0;
    m_outdatedPages.clear();
    ++m_generation;
    m_document = document;
}

QImage PageRenderCache::image(int pageIndex, double scale)
{
    const Key key{pageIndex, scaleKeyOf(scale)};
    if (const auto found = m_images.constFind(key); found != m_images.constEnd()) {
        touch(key);
        if (m_outdatedPages.contains(pageIndex))
            request(key, scale);
        return *found;
    }
    request(key, scale);
    // Meanwhile the closest scale kept, drawn stretched, beats a blank page.
    const QImage *best = nullptr;
    int bestDistance = 0;
    for (auto it = m_images.constBegin(); it != m_images.constEnd(); ++it) {
        if (it.key().pageIndex != pageIndex)
            continue;
        const int distance = std::abs(it.key().scaleKey - key.scaleKey);
        if (!best || distance < bestDistance) {
            best = &it.value();
            bestDistance = distance;
        }
    }
    return best ? *best : QImage();
}

void PageRenderCache::request(const Key &key, double scale)
{
    if (!m_document || m_pending.contains(key))
        return;
    const std::shared_ptr<PDFPage> page = m_document->pageAtIndex(key.pageIndex);
    if (!page)
        return;
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    m_pending.insert(key, {cancelled});
    const quint64 generation = m_generation;
    QPointer<PageRenderCache> self(this);
    m_pool.start([self, page, key, scale, generation, cancelled] {
        if (cancelled->load())
            return;
        const QImage image = wrapped(page->renderRegion(page->boundsForBox(PDFDisplayBox::CropBox), scale));
        if (cancelled->load())
            return;
        // The cache waits for its workers before it goes, so it is alive here; the queued call
        // is dropped by Qt if it goes before the call runs.
        QMetaObject::invokeMethod(
            self.data(),
            [self, key, image, generation, cancelled] {
                if (self)
                    self->store(key, image, generation, cancelled.get());
            },
            Qt::QueuedConnection);
    });
}

void PageRenderCache::store(const Key &key, const QImage &image, quint64 generation, const std::atomic<bool> *render)
{
    // Only the render asked for last counts: one begun before the page changed shows it as it was.
    const auto pending = m_pending.constFind(key);
    if (generation != m_generation || pending == m_pending.constEnd() || pending->cancelled.get() != render)
        return;
    m_pending.erase(pending);
    if (image.isNull())
        return;
    if (m_outdatedPages.remove(key.pageIndex)) {
        for (auto it = m_images.begin(); it != m_images.end();) {
            if (it.key().pageIndex == key.pageIndex) {
                m_bytes -= it->sizeInBytes();
                m_recentlyUsed.remove(it.key());
                it = m_images.erase(it);
            } else {
                ++it;
            }
        }
    }
    if (const auto old = m_images.constFind(key); old != m_images.constEnd())
        m_bytes -= old->sizeInBytes();
    m_images.insert(key, image);
    m_bytes += image.sizeInBytes();
    touch(key);
    evict();
    emit pageRendered(key.pageIndex);
}

void PageRenderCache::touch(const Key &key)
{
    m_recentlyUsed.remove(key);
    m_recentlyUsed.push_front(key);
}

void PageRenderCache::evict()
{
    while (m_bytes > kBudgetBytes && m_recentlyUsed.size() > 1) {
        const Key oldest = m_recentlyUsed.back();
        m_recentlyUsed.pop_back();
        m_bytes -= m_images.value(oldest).sizeInBytes();
        m_images.remove(oldest);
    }
}

void PageRenderCache::keepOnlyPagesBetween(int first, int last)
{
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it.key().pageIndex < first || it.key().pageIndex > last) {
            it->cancelled->store(true);
            it = m_pending.erase(it);
        } else {
            ++it;
        }
    }
}

void PageRenderCache::pageChanged(int pageIndex)
{
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it.key().pageIndex == pageIndex) {
            it->cancelled->store(true);
            it = m_pending.erase(it);
        } else {
            ++it;
        }
    }
    m_outdatedPages.insert(pageIndex);
}

void PageRenderCache::waitForIdle()
{
    m_pool.waitForDone();
}

} // namespace narrata
