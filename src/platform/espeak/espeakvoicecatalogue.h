#pragma once

#include "platform/espeak/espeakengine.h"
#include "platform/speech/speechsynthesizer.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace narrata {

// The voices offered on top of espeak-ng's voice files, and what they are called.
//
// A voice identifier is a name espeak_SetVoiceByName accepts:
// - a language voice: its file name in lower case, "en-us", "en" (British), "fr", "de";
// - a variant spoken by a language voice: "en+whisper", "en-us+f2". The variant part is the
//   variant's file name, which is what espeak-ng looks up after the "+".
// The list offers every language voice, then the default English voice "en" with each variant
// we offer; any language voice combined with an offered variant is accepted as well.
class EspeakVoiceCatalogue {
public:
    EspeakVoiceCatalogue(const std::vector<EspeakVoiceFile> &voices, const std::vector<EspeakVoiceFile> &variants);

    QStringList identifiers() const { return m_offered; }
    // Nothing for a voice that is not in the catalogue.
    std::optional<VoiceAttributes> attributes(const QString &identifier) const;
    // The English voice of the user's region when espeak-ng has one, else "en".
    QString defaultVoice(const QLocale &userLocale) const;

private:
    std::map<QString, VoiceAttributes> m_voices; // language voices
    std::map<QString, EspeakVoiceFile> m_variants; // offered variants, by file name
    QStringList m_offered;
};

// The locale of a language voice, language_REGION:
// 1. the region of the voice's own tag (its file name): "en-US" gives en_US, "es-419" es_419,
//    "vi-VN-x-central" vi_VN;
// 2. else the region of the first tag espeak-ng lists for the voice in the same language with
//    one: "en" lists "en-gb" and gives en_GB, "fr" lists "fr-fr" and gives fr_FR;
// 3. else the region Qt's locale data considers likeliest for the language: "de" gives de_DE;
// 4. else the bare language: "eo", "jbo".
// A region is a two-letter country code or a three-digit area code, before any "x-" part.
QString localeIdentifierForVoice(const EspeakVoiceFile &voice);

// The voice file name of an espeak-ng identifier, "gmw/en-US" gives "en-US".
QString voiceFileName(const QString &identifier);

} // namespace narrata
