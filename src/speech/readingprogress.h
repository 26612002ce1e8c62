#pragma once

#include "text/sentencerecord.h"

#include <QString>
#include <QVariant>

#include <limits>
#include <memory>
#include <optional>

namespace narrata {

class DefaultsStore;

// Where reading got to in each PDF, kept in the user's settings by the PDF's file name: the
// most recent sentence that ran to its end, and the furthest one (by page score). Two PDFs with
// the same file name in different folders share their positions; a document without a file name
// has none.
class ReadingProgress {
public:
    // Positions kept in a store of its own, in memory only.
    ReadingProgress();
    // Positions kept in store, which must outlive this object.
    explicit ReadingProgress(DefaultsStore &store);
    virtual ~ReadingProgress();

    ReadingProgress(const ReadingProgress &) = delete;
    ReadingProgress &operator=(const ReadingProgress &) = delete;

    // The last path component of the shown document's URL; empty when it has none.
    void setDocumentFileName(const QString &fileName);
    const QString &documentFileName() const { return m_fileName; }
    // Stored positions on pages past this count (or before the first) are not read back.
    void setDocumentPageCount(qint64 pageCount) { m_pageCount = pageCount; }
    // A position could not be stored since this object was made (the settings file could not be
    // written).
    bool saveFailed() const { return m_saveFailed; }

    // Called for every sentence that ran to its end, regular or walk. Stores it as the most
    // recent position, and as the furthest one when its page score beats the stored one's, then
    // writes the store out. Without a document file name nothing is stored.
    virtual void saveSentencesReadProgress(const SentenceRecord &sentence);

    // The page index, plus the range's end divided (whole) by 100000. A location equal to the
    // not-found marker counts as 0; a length equal to it leaves the page index alone.
    static double pageScore(const SentenceRecord &sentence);

    // The positions stored for fileName; nothing when there is no entry or it cannot be read.
    std::optional<SentenceRecord> mostRecentSentenceRead(const QString &fileName) const;
    std::optional<SentenceRecord> furthestSentenceRead(const QString &fileName) const;
    // Whether there is an entry at all for the current document (the menu items are enabled by
    // this, even when the entry turns out unreadable).
    bool hasMostRecentSentenceRead() const;
    bool hasFurthestSentenceRead() const;

    // What a go-to command does: select a sentence (without reading it), beep, or nothing.
    struct GoTo {
        std::optional<SentenceRecord> select;
        bool beep = false;
    };
    // An unreadable or missing entry beeps for the most recent position, does nothing for the
    // furthest; without a document file name neither does anything.
    GoTo goToMostRecentSentenceRead() const;
    GoTo goToFurthestSentenceRead() const;

    // Writes the count of sentences completed since launch, as an integer, and flushes the store.
    void saveNumSentencesCompleted(quint64 count);

    // The positions handed over in this run for the current document, stored or not.
    const std::optional<SentenceRecord> &mostRecentSentence() const { return m_mostRecent; }
    const std::optional<SentenceRecord> &furthestSentence() const { return m_furthest; }

    // The stored form of a record (compact JSON text), and back; nothing when the stored value
    // is not a record. A record kept as a nested map is read as well.
    static QVariant archived(const SentenceRecord &sentence);
    static std::optional<SentenceRecord> unarchived(const QVariant &stored);

private:
    std::optional<SentenceRecord> storedSentence(const QString &key, const QString &fileName) const;
    std::optional<SentenceRecord> unarchivedWithin(const QVariant &stored) const;
    bool hasEntry(const QString &key) const;

    std::unique_ptr<DefaultsStore> m_ownStore;
    DefaultsStore &m_store;
    QString m_fileName;
    qint64 m_pageCount = std::numeric_limits<qint64>::max();
    bool m_saveFailed = false;
    std::optional<SentenceRecord> m_mostRecent;
    std::optional<SentenceRecord> m_furthest;
};

} // namespace narrata
