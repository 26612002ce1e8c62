#pragma once

#include "platform/pdf/textrange.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace narrata {

class SpeechSynthesizer;

// Receives a synthesizer's reports, always on the thread that created the synthesizer
// (the main thread), between events.
class SpeechSynthesizerDelegate {
public:
    virtual ~SpeechSynthesizerDelegate() = default;

    // Once per utterance, after it ended: finished is true only when it ran to its end, false
    // when it was stopped or replaced by a new one.
    virtual void didFinishSpeaking(SpeechSynthesizer *synthesizer, bool finished) = 0;
    virtual void willSpeakWord(SpeechSynthesizer *, TextRange, const QString &) { }
    virtual void didEncounterError(SpeechSynthesizer *, qint64, const QString &, const QString &) { }
};

// One voice speaking one utterance at a time.
class SpeechSynthesizer {
public:
    virtual ~SpeechSynthesizer() = default;

    virtual void setDelegate(SpeechSynthesizerDelegate *delegate) = 0;
    // Begins an utterance; one in progress is ended first and reported as not finished.
    virtual void startSpeakingString(const QString &text) = 0;
    // Ends the utterance in progress (reported as not finished); nothing when silent.
    virtual void stopSpeaking() = 0;
    // True from startSpeakingString until the utterance ends; false once stopSpeaking returned.
    virtual bool isSpeaking() const = 0;
    // The speaking rate in words per minute; a new synthesizer has its service's default rate.
    virtual float rate() const = 0;
    // A rate outside the service's range is held to the nearest end of it.
    virtual void setRate(float wordsPerMinute) = 0;
    virtual QString voice() const = 0;
};

struct VoiceAttributes {
    QString name;
    QString localeIdentifier; // language, underscore, region: "en_US"
    int age = 0;
    bool novelty = false; // whispering and other effect voices

    friend bool operator==(const VoiceAttributes &, const VoiceAttributes &) = default;
};

// The rates a speech backend speaks at, in words per minute.
struct RateRange {
    float minimum = 0;
    float maximum = 0;

    friend bool operator==(const RateRange &, const RateRange &) = default;
};

// The backend a voice identifier names before a colon: "flite" for "flite:slt". espeak-ng's
// identifiers, older than the other backends and kept in users' settings, name none.
inline QString voiceBackend(const QString &voice)
{
    const qsizetype colon = voice.indexOf(QLatin1Char(':'));
    return colon > 0 ? voice.left(colon) : QStringLiteral("espeak-ng");
}

// The voices a speech backend offers and synthesizers that speak with them.
class SpeechService {
public:
    virtual ~SpeechService() = default;

    virtual QStringList availableVoices() const = 0;
    virtual QString defaultVoice() const = 0;
    // Empty attributes for a voice the service does not know.
    virtual VoiceAttributes attributesForVoice(const QString &voice) const = 0;
    // The rate a new synthesizer speaks at, and the rates synthesizers can be set to.
    virtual float defaultRate() const = 0;
    virtual RateRange rateRange() const = 0;
    // A synthesizer speaking with a voice; an empty or unknown voice gives the default voice.
    virtual std::unique_ptr<SpeechSynthesizer> createSynthesizer(const QString &voice) = 0;
};

} // namespace narrata
