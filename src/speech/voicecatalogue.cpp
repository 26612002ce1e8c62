#include "voicecatalogue.h"

#include "platform/settings/defaultsstore.h"
#include "settings/registereddefaults.h"
#include "speakingloop.h"

#include <QLatin1String>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>

namespace narrata {

namespace {

using settingskeys::kNarrataTTSVoiceRate;
using settingskeys::kNarrataTTSVoiceSelected;
using settingskeys::userPrefShowOnlyEnglishAdultVoices;

// Effect voices of other platforms, by identifier; on ours a voice says itself that it is one.
constexpr QLatin1String kNoveltyVoices[] = {
    QLatin1String("com.apple.speech.synthesis.voice.BadNews"),
    QLatin1String("com.apple.speech.synthesis.voice.Deranged"),
    QLatin1String("com.apple.speech.synthesis.voice.Hysterical"),
    QLatin1String("com.apple.speech.synthesis.voice.Whisper"),
};

bool isNovelty(const QString &identifier, const VoiceAttributes &attributes)
{
    return attributes.novelty
        || std::any_of(std::begin(kNoveltyVoices), std::end(kNoveltyVoices),
            [&](QLatin1String novelty) { return identifier == novelty; });
}

bool isEnglishAdult(const QString &identifier, const VoiceAttributes &attributes)
{
    const bool adult = attributes.age >= 25 && attributes.age < 56;
    return adult && attributes.localeIdentifier.startsWith(QLatin1String("en_")) && !isNovelty(identifier, attributes);
}

// A title's name and what its parenthesis holds. The title's own parenthesis is its last one:
// voice names have parentheses of their own ("English (America)"), locale identifiers none.
struct TitleParts {
    QString name;
    QString rest;
};

std::optional<TitleParts> splitTitle(const QString &title)
{
    const qsizetype open = title.lastIndexOf(QLatin1Char('('));
    if (open < 0)
        return std::nullopt;
    QString name = title.left(open);
    if (name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return TitleParts{name, title.mid(open + 1)};
}

// By name with the filter on; by locale and then name with it off. Titles without a parenthesis
// come first; equal keys go by the whole title, so the order never depends on the sort.
bool titleBefore(const QString &a, const QString &b, bool filtered)
{
    const auto partsA = splitTitle(a);
    const auto partsB = splitTitle(b);
    if (!partsA || !partsB) {
        if (!partsA && !partsB)
            return a < b;
        return !partsA;
    }
    const QString keyA = filtered ? partsA->name : partsA->rest + partsA->name;
    const QString keyB = filtered ? partsB->name : partsB->rest + partsB->name;
    if (keyA != keyB)
        return keyA < keyB;
    return a < b;
}

} // namespace

VoiceCatalogue::VoiceCatalogue(SpeechService &service, DefaultsStore &defaults)
    : m_service(service)
    , m_defaults(defaults)
{
}

void VoiceCatalogue::prepareVoices(SpeakingLoop &loop)
{
    loop.ttsVoice.reset();
    loop.ttsRate = 0;
    const std::optional<QString> stored = storedVoice();
    buildMenu();

    const float rate = storedRate();
    if (rate > 0) {
        setRate(rate);
        loop.ttsRate = m_rate;
    }

    if (!stored) {
        restoreDefaults(loop);
        return;
    }
    if (m_service.availableVoices().contains(*stored)) {
        // Listed or hidden by the filter, it is the voice that speaks.
        selectVoice(*stored);
        loop.ttsVoice = stored;
    } else {
        // The service no longer offers it: the default voice speaks until the user applies
        // another, and the stored choice is kept in case the voice comes back.
        selectVoice(m_service.defaultVoice());
    }
    // Without a stored rate the voice speaks at its own, and the slider shows that, not a value
    // the user moved it to and never applied.
    if (!(rate > 0))
        setRate(m_service.defaultRate());
}

bool VoiceCatalogue::adoptStoredVoiceNowOffered(SpeakingLoop &loop)
{
    const std::optional<QString> stored = storedVoice();
    if (!stored || loop.ttsVoice == stored || !m_service.availableVoices().contains(*stored))
        return false;
    buildMenu();
    selectVoice(*stored);
    loop.ttsVoice = stored;
    return true;
}

void VoiceCatalogue::setShowOnlyEnglishAdultVoices(bool on, SpeakingLoop &loop)
{
    m_defaults.setValue(userPrefShowOnlyEnglishAdultVoices, on);
    prepareVoices(loop);
}

bool VoiceCatalogue::showsOnlyEnglishAdultVoices() const
{
    return m_defaults.boolForKey(userPrefShowOnlyEnglishAdultVoices);
}

void VoiceCatalogue::preparePopover(SpeakingLoop &loop)
{
    buildMenu(); // a backend may have listed its voices since
    if (const std::optional<QString> stored = storedVoice())
        selectVoice(m_service.availableVoices().contains(*stored) ? *stored : m_service.defaultVoice());
    const float rate = storedRate();
    if (rate > 0)
        setRate(rate);
    loop.reloadSpeechSynthesizer();
}

void VoiceCatalogue::apply(SpeakingLoop &loop)
{
    const std::optional<QString> voice = selectedVoice();
    if (voice)
        m_defaults.setValue(kNarrataTTSVoiceSelected, *voice);
    else
        m_defaults.removeValue(kNarrataTTSVoiceSelected);
    loop.ttsVoice = voice;

    if (m_rate > 0) {
        m_defaults.setValue(kNarrataTTSVoiceRate, double(m_rate));
        loop.ttsRate = m_rate;
    } else {
        m_defaults.removeValue(kNarrataTTSVoiceRate);
        loop.ttsRate = 0;
    }
    m_defaults.synchronize();
    loop.reloadSpeechSynthesizer();
}

void VoiceCatalogue::reset(SpeakingLoop &loop)
{
    restoreDefaults(loop);
    loop.reloadSpeechSynthesizer();
}

void VoiceCatalogue::setSelectedIndex(int index)
{
    m_selected = index >= 0 && std::size_t(index) < m_entries.size() ? index : -1;
}

std::optional<QString> VoiceCatalogue::selectedVoice() const
{
    if (m_selected < 0 || std::size_t(m_selected) >= m_entries.size())
        return std::nullopt;
    return m_entries[std::size_t(m_selected)].identifier;
}

void VoiceCatalogue::setRate(float wordsPerMinute)
{
    const RateRange range = m_service.rateRange();
    m_rate = wordsPerMinute > 0 ? std::clamp(wordsPerMinute, range.minimum, range.maximum) : 0.0f;
}

QString VoiceCatalogue::rateLabel() const
{
    return QString::asprintf("%.0f wpm", double(m_rate));
}

void VoiceCatalogue::buildMenu()
{
    const bool filtered = showsOnlyEnglishAdultVoices();
    // By title: of two voices with the same title the later one stays.
    std::map<QString, QString> byTitle;
    std::map<QString, int> backendOrder; // the backends in the order the service lists them
    for (const QString &identifier : m_service.availableVoices()) {
        backendOrder.try_emplace(voiceBackend(identifier), int(backendOrder.size()));
        const VoiceAttributes attributes = m_service.attributesForVoice(identifier);
        if (filtered && !isEnglishAdult(identifier, attributes))
            continue;
        const QString locale = filtered ? attributes.localeIdentifier.mid(3) : attributes.localeIdentifier;
        byTitle.insert_or_assign(QStringLiteral("%1 (%2)").arg(attributes.name, locale), identifier);
    }

    m_entries.clear();
    m_entries.reserve(byTitle.size());
    for (const auto &[title, identifier] : byTitle)
        m_entries.push_back({identifier, title, voiceBackend(identifier)});
    std::sort(m_entries.begin(), m_entries.end(), [&](const VoiceMenuEntry &a, const VoiceMenuEntry &b) {
        if (a.backend != b.backend)
            return backendOrder.at(a.backend) < backendOrder.at(b.backend);
        return titleBefore(a.title, b.title, filtered);
    });
    m_selected = m_entries.empty() ? -1 : 0;
}

void VoiceCatalogue::selectVoice(const QString &identifier)
{
    const auto found = std::find_if(m_entries.rbegin(), m_entries.rend(),
        [&](const VoiceMenuEntry &entry) { return entry.identifier == identifier; });
    if (found != m_entries.rend())
        m_selected = int(std::distance(m_entries.begin(), found.base()) - 1);
    else
        m_selected = m_entries.empty() ? -1 : 0;
}

void VoiceCatalogue::restoreDefaults(SpeakingLoop &loop)
{
    setRate(m_service.defaultRate());
    loop.ttsVoice.reset();
    loop.ttsRate = m_rate;
    selectVoice(m_service.defaultVoice());
    m_defaults.removeValue(kNarrataTTSVoiceSelected);
    m_defaults.removeValue(kNarrataTTSVoiceRate);
    m_defaults.synchronize();
}

std::optional<QString> VoiceCatalogue::storedVoice() const
{
    const QString identifier = m_defaults.stringForKey(kNarrataTTSVoiceSelected);
    return identifier.isEmpty() ? std::nullopt : std::optional<QString>(identifier);
}

float VoiceCatalogue::storedRate() const
{
    const auto rate = float(m_defaults.doubleForKey(kNarrataTTSVoiceRate));
    return rate > 0 ? rate : 0.0f;
}

} // namespace narrata
