#include "platform/espeak/espeakvoicecatalogue.h"

#include <algorithm>
#include <optional>

namespace narrata {

namespace {

// espeak-ng gives its voices no age; an adult's stands in.
constexpr int kAdultAge = 35;

// The variants worth offering: voices of people, and the effects (whispering, croaking, robots)
// as novelty voices. The rest of espeak-ng's variants are mostly tuning experiments.
struct OfferedVariant {
    const char *file;
    bool novelty;
};
constexpr OfferedVariant kOfferedVariants[] = {
    {"m1", false},
    {"m2", false},
    {"m3", false},
    {"m4", false},
    {"m5", false},
    {"m6", false},
    {"m7", false},
    {"m8", false},
    {"f1", false},
    {"f2", false},
    {"f3", false},
    {"f4", false},
    {"f5", false},
    {"grandma", false},
    {"whisper", true},
    {"whisperf", true},
    {"croak", true},
    {"robosoft", true},
    {"UniRobot", true},
};

std::optional<bool> offeredAsNovelty(const QString &file)
{
    for (const auto &variant : kOfferedVariants)
        if (file == QLatin1String(variant.file))
            return variant.novelty;
    return std::nullopt;
}

bool isRegion(const QString &subtag)
{
    const bool letters = subtag.size() == 2 && subtag.at(0).isLetter() && subtag.at(1).isLetter();
    const bool digits
        = subtag.size() == 3 && std::all_of(subtag.begin(), subtag.end(), [](QChar c) { return c.isDigit(); });
    return letters || digits;
}

// The region of a language tag, upper case, or nothing; subtags after "x" are private.
QString regionOfTag(const QStringList &subtags)
{
    for (qsizetype i = 1; i < subtags.size() && subtags.at(i).compare(QLatin1String("x"), Qt::CaseInsensitive) != 0;
         ++i)
        if (isRegion(subtags.at(i)))
            return subtags.at(i).toUpper();
    return {};
}

QString likelyRegion(const QString &language)
{
    const QLocale locale(language);
    if (locale.language() == QLocale::C)
        return {};
    const QStringList name = locale.name().split(QLatin1Char('_'));
    // Qt answers with another language for some codes, and with the World region for artificial
    // languages: neither is a region of this language.
    if (name.size() != 2 || name.at(0) != language || name.at(1).size() != 2)
        return {};
    return name.at(1);
}

VoiceAttributes withVariant(VoiceAttributes attributes, const EspeakVoiceFile &variant, bool novelty)
{
    attributes.name += QStringLiteral(" + ") + variant.name;
    if (variant.age > 0)
        attributes.age = variant.age;
    attributes.novelty = novelty;
    return attributes;
}

} // namespace

QString voiceFileName(const QString &identifier)
{
    return identifier.mid(identifier.lastIndexOf(QLatin1Char('/')) + 1);
}

QString localeIdentifierForVoice(const EspeakVoiceFile &voice)
{
    const QStringList own = voiceFileName(voice.identifier).split(QLatin1Char('-'));
    const QString language = own.at(0).toLower();
    QString region = regionOfTag(own);
    for (qsizetype i = 0; region.isEmpty() && i < voice.languages.size(); ++i) {
        const QStringList listed = voice.languages.at(i).split(QLatin1Char('-'));
        if (listed.at(0).toLower() == language)
            region = regionOfTag(listed);
    }
    if (region.isEmpty())
        region = likelyRegion(language);
    return region.isEmpty() ? language : language + QLatin1Char('_') + region;
}

EspeakVoiceCatalogue::EspeakVoiceCatalogue(
    const std::vector<EspeakVoiceFile> &voices, const std::vector<EspeakVoiceFile> &variants)
{
    for (const auto &voice : voices) {
        const QString identifier = voiceFileName(voice.identifier).toLower();
        // espeak_SetVoiceByName would not find a name with a "+" or a space as one voice.
        if (identifier.isEmpty() || identifier.contains(QLatin1Char('+')) || identifier.contains(QLatin1Char(' '))
            || m_voices.count(identifier))
            continue;
        m_voices.emplace(identifier,
            VoiceAttributes{voice.name, localeIdentifierForVoice(voice), voice.age > 0 ? voice.age : kAdultAge, false});
        m_offered.append(identifier);
    }
    for (const auto &variant : variants) {
        const QString file = voiceFileName(variant.identifier);
        if (offeredAsNovelty(file))
            m_variants.emplace(file, variant);
    }
    // In the order of the table, so that the people come before the effects.
    if (m_voices.count(QStringLiteral("en")))
        for (const auto &offered : kOfferedVariants)
            if (m_variants.count(QLatin1String(offered.file)))
                m_offered.append(QStringLiteral("en+") + QLatin1String(offered.file));
}

std::optional<VoiceAttributes> EspeakVoiceCatalogue::attributes(const QString &identifier) const
{
    const qsizetype plus = identifier.indexOf(QLatin1Char('+'));
    const auto voice = m_voices.find(plus < 0 ? identifier : identifier.left(plus));
    if (voice == m_voices.end())
        return std::nullopt;
    if (plus < 0)
        return voice->second;
    const QString file = identifier.mid(plus + 1);
    const auto variant = m_variants.find(file);
    if (variant == m_variants.end())
        return std::nullopt;
    return withVariant(voice->second, variant->second, offeredAsNovelty(file).value_or(true));
}

QString EspeakVoiceCatalogue::defaultVoice(const QLocale &userLocale) const
{
    const QString wanted = userLocale.name();
    QString best;
    for (const auto &[identifier, attributes] : m_voices) {
        const bool english = attributes.localeIdentifier.startsWith(QLatin1String("en_"));
        // Of several voices of the region ("en-us", "en-us-nyc"), the plainest.
        if (english && attributes.localeIdentifier == wanted && (best.isEmpty() || identifier.size() < best.size()))
            best = identifier;
    }
    if (!best.isEmpty())
        return best;
    if (m_voices.count(QStringLiteral("en")))
        return QStringLiteral("en");
    return m_offered.value(0);
}

} // namespace narrata
