#pragma once

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <memory>

namespace narrata {

class PDFDocument;

// Writes documents to disk away from the main thread, one at a time in the order they were
// asked for, so that two writes of one file never interleave and the last one asked for is
// the one that stays. Each result is reported on the thread that owns the writer.
class BackgroundWriter final : public QObject {
    Q_OBJECT
public:
    // The document written, given back, and whether it reached the file.
    using Done = std::function<void(std::shared_ptr<PDFDocument> document, bool written)>;

    explicit BackgroundWriter(QObject *parent = nullptr);
    // Waits for the writes already asked for: quitting never cuts one short.
    ~BackgroundWriter() override;

    void write(std::shared_ptr<PDFDocument> document, const QString &path, Done done);

private:
    QThreadPool m_queue;
};

} // namespace narrata
