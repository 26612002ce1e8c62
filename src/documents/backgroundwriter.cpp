#include "backgroundwriter.h"

#include "platform/pdf/pdfdocument.h"

#include <QMetaObject>

namespace narrata {

BackgroundWriter::BackgroundWriter(QObject *parent)
    : QObject(parent)
{
    // One thread: the writes are made in the order they arrive.
    m_queue.setMaxThreadCount(1);
    m_queue.setThreadPriority(QThread::LowPriority);
}

BackgroundWriter::~BackgroundWriter()
{
    m_queue.waitForDone();
}

void BackgroundWriter::write(std::shared_ptr<PDFDocument> document, const QString &path, Done done)
{
    // The writer outlives every task (its destructor waits for them), so the report can be
    // posted to it; a report still queued when it goes is dropped with it.
    m_queue.start([this, document = std::move(document), path, done = std::move(done)] {
        const bool written = document && document->writeToFile(path);
        QMetaObject::invokeMethod(
            this,
            [document, written, done] {
                if (done)
                    done(document, written);
            },
            Qt::QueuedConnection);
    });
}

} // namespace narrata
