#pragma once

#include "readingcontent.h"
#include "speechtextpath.h"

#include "platform/speech/speechsynthesizer.h"

#include <QSet>

#include <functional>
#include <optional>

namespace narrata {

class PDFDocument;

struct SmarteningOptions {
    bool skipFixedWidthFonts = false;
    bool sortVisually = false; // order by place on the page, top first
    bool skipWeirdBounds = false; // with sortVisually: drop boxes taller than eight lines of their font
};

// Drops what should not be heard from every list before it is queued (nothing pronounceable
// for an English voice, fixed-pitch fonts on request, fonts ignored in this document, boxes
// implausibly tall for their font) and, on request, orders a page's sentences by where they
// stand on the page rather than by the text layer.
class SpeechSetSmartener final : public SpeechSetFilter {
public:
    SpeechSetSmartener(const SpeechService &speechService, const ReadingContent &content,
        std::function<std::optional<QString>()> voice);

    SmarteningOptions options;
    // The ignored fonts of the current document, by their labels ("Courier 9.0 pt").
    QSet<QString> currentPDFignoredFontsList;

    std::vector<SentenceRecord> smartenedSpeechSet(const std::vector<SentenceRecord> &sentences) override;
    bool ordersSentences() const override { return options.sortVisually; }

    // The sentence without its opening part up to the end of its last run in an ignored font:
    // what is left of the first sentence of a page whose lead-in is set in one.
    SentenceRecord cutIgnoredFontLeadIn(const SentenceRecord &sentence, const PDFDocument &document) const override;

private:
    const SpeechService &m_speechService;
    const ReadingContent &m_content;
    std::function<std::optional<QString>()> m_voice;
};

} // namespace narrata
