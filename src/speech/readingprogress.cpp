#include "readingprogress.h"

#include "platform/settings/defaultsstore.h"
#include "platform/settingsstores/memorydefaultsstore.h"
#include "settings/registereddefaults.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QVariantMap>

namespace narrata {

namespace {

constexpr quint64 kScoreDivisor = 100000;

const QString &mostRecentKey()
{
    static const QString key(settingskeys::mostRecentSentencesReadByPDF);
    return key;
}

const QString &furthestKey()
{
    static const QString key(settingskeys::furthestSentencesReadByPDF);
    return key;
}

} // namespace

ReadingProgress::ReadingProgress()
    : m_ownStore(std::make_unique<MemoryDefaultsStore>())
    , m_store(*m_ownStore)
{
}

ReadingProgress::ReadingProgress(DefaultsStore &store)
    : m_store(store)
{
}

ReadingProgress::~ReadingProgress() = default;

void ReadingProgress::setDocumentFileName(const QString &fileName)
{
    if (fileName != m_fileName) {
        m_mostRecent.reset();
        m_furthest.reset();
    }
    m_fileName = fileName;
}

double ReadingProgress::pageScore(const SentenceRecord &sentence)
{
    constexpr auto notFound = static_cast<quint64>(kNotFound);
    const double page = static_cast<double>(sentence.pageIndex);
    if (sentence.range.length == notFound)
        return page;
    const quint64 location = sentence.range.location == notFound ? 0 : sentence.range.location;
    const quint64 length = sentence.range.length;
    // (location + length) / divisor without letting the sum wrap.
    const quint64 quotient = location / kScoreDivisor + length / kScoreDivisor
        + (location % kScoreDivisor + length % kScoreDivisor) / kScoreDivisor;
    return page + static_cast<double>(quotient);
}

void ReadingProgress::saveSentencesReadProgress(const SentenceRecord &sentence)
{
    m_mostRecent = sentence;
    if (!m_furthest || pageScore(sentence) > pageScore(*m_furthest))
        m_furthest = sentence;

    if (m_fileName.isEmpty())
        return;
    // Only this PDF's entries change, as they stand in the store now: a reader in another
    // process keeps its own PDFs' positions.
    const QVariant record = archived(sentence);
    const bool saved = m_store.updateMapEntries({
        {mostRecentKey(), m_fileName, [&record](const QVariant &) { return QVariant(record); }},
        {furthestKey(), m_fileName,
            [&](const QVariant &stored) {
                // An entry that cannot be read is no position to keep.
                const std::optional<SentenceRecord> furthest = unarchivedWithin(stored);
                return !furthest || pageScore(sentence) > pageScore(*furthest) ? record : stored;
            }},
    });
    if (!saved)
        m_saveFailed = true;
}

std::optional<SentenceRecord> ReadingProgress::storedSentence(const QString &key, const QString &fileName) const
{
    if (fileName.isEmpty())
        return std::nullopt;
    const QVariantMap map = m_store.mapForKey(key);
    const auto entry = map.constFind(fileName);
    if (entry == map.constEnd())
        return std::nullopt;
    return unarchivedWithin(entry.value());
}

std::optional<SentenceRecord> ReadingProgress::unarchivedWithin(const QVariant &stored) const
{
    std::optional<SentenceRecord> sentence = unarchived(stored);
    // A page outside the document is no place to go back to, and would keep a later position
    // from ever counting as the furthest.
    if (sentence && (sentence->pageIndex < 0 || sentence->pageIndex >= m_pageCount))
        sentence.reset();
    return sentence;
}

std::optional<SentenceRecord> ReadingProgress::mostRecentSentenceRead(const QString &fileName) const
{
    return storedSentence(mostRecentKey(), fileName);
}

std::optional<SentenceRecord> ReadingProgress::furthestSentenceRead(const QString &fileName) const
{
    return storedSentence(furthestKey(), fileName);
}

bool ReadingProgress::hasEntry(const QString &key) const
{
    return !m_fileName.isEmpty() && m_store.mapForKey(key).contains(m_fileName);
}

bool ReadingProgress::hasMostRecentSentenceRead() const
{
    return hasEntry(mostRecentKey());
}

bool ReadingProgress::hasFurthestSentenceRead() const
{
    return hasEntry(furthestKey());
}

ReadingProgress::GoTo ReadingProgress::goToMostRecentSentenceRead() const
{
    if (m_fileName.isEmpty())
        return {};
    std::optional<SentenceRecord> sentence = mostRecentSentenceRead(m_fileName);
    const bool beep = !sentence;
    return {std::move(sentence), beep};
}

ReadingProgress::GoTo ReadingProgress::goToFurthestSentenceRead() const
{
    if (m_fileName.isEmpty())
        return {};
    return {furthestSentenceRead(m_fileName), false};
}

void ReadingProgress::saveNumSentencesCompleted(quint64 count)
{
    m_store.setValue(QString(settingskeys::numSentencesCompleted), QVariant::fromValue(static_cast<qint64>(count)));
    m_store.synchronize();
}

QVariant ReadingProgress::archived(const SentenceRecord &sentence)
{
    return QString::fromUtf8(QJsonDocument(sentence.toJson()).toJson(QJsonDocument::Compact));
}

std::optional<SentenceRecord> ReadingProgress::unarchived(const QVariant &stored)
{
    QJsonObject object;
    if (stored.typeId() == QMetaType::QVariantMap) {
        // A record written as a nested map rather than as JSON text.
        object = QJsonObject::fromVariantMap(stored.toMap());
    } else if (stored.typeId() == QMetaType::QString || stored.typeId() == QMetaType::QByteArray) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(stored.toByteArray(), &error);
        if (error.error != QJsonParseError::NoError || !document.isObject())
            return std::nullopt;
        object = document.object();
    } else {
        return std::nullopt;
    }
    return SentenceRecord::fromJson(object);
}

} // namespace narrata
