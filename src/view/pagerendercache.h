#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QThreadPool>

#include <atomic>
#include <list>
#include <memory>

namespace narrata {

class PDFDocument;

// Rendered pages for the page view. Pages are drawn on a pool of worker threads and handed
// back on the main thread, so scrolling never waits for MuPDF; the most recently used images
// are kept up to a memory budget.
class PageRenderCache final : public QObject {
    Q_OBJECT
public:
    explicit PageRenderCache(QObject *parent = nullptr);
    ~PageRenderCache() override;

    // Forgets every image and every pending render. The document must outlive the cache's use
    // of it, or be replaced first; pages being drawn keep what they need alive themselves.
    void setDocument(const PDFDocument *document);

    // The page at this scale (device pixels per point) if it is ready. Otherwise asks for it and
    // gives the page's image at another scale if one is kept (to be drawn stretched meanwhile),
    // or a null image.
    QImage image(int pageIndex, double scale);
    // Drops pending renders of pages outside [first, last]: they were scrolled past.
    void keepOnlyPagesBetween(int first, int last);
    // The page's look changed (a mark was added or removed): it is drawn again, and its old
    // image is shown until the new one is ready.
    void pageChanged(int pageIndex);
    // Waits until nothing is being drawn (for tests and shutdown).
    void waitForIdle();

signals:
    void pageRendered(int pageIndex);

private:
    struct Key {
        int pageIndex;
        int scaleKey;
        friend bool operator==(const Key &, const Key &) = default;
        friend size_t qHash(const Key &key, size_t seed = 0) { return qHashMulti(seed, key.pageIndex, key.scaleKey); }
    };
    struct Pending {
        std::shared_ptr<std::atomic<bool>> cancelled;
    };

    static int scaleKeyOf(double scale);
    void request(const Key &key, double scale);
    void store(const Key &key, const QImage &image, quint64 generation, const std::atomic<bool> *render);
    void touch(const Key &key);
    void evict();

    const PDFDocument *m_document = nullptr;
    QThreadPool m_pool;
    quint64 m_generation = 0;
    QHash<Key, QImage> m_images;
    std::list<Key> m_recentlyUsed; // front: most recent
    QHash<Key, Pending> m_pending;
    QSet<int> m_outdatedPages; // their images show the page as it was
    qint64 m_bytes = 0;
};

} // namespace narrata
