#pragma once

#include "platform/settingsstores/memorydefaultsstore.h"
#include "speech/speakingloop.h"
#include "speech/voicecatalogue.h"

#include "support/fakespeech.h"

#include <map>

namespace narrata::testing {

// Records what it is asked to select; hands out the next page with sentences when asked. It
// shows the page of the last selection unless told which.
class RecordingView final : public ReadingView, public ReadingContent {
public:
    std::map<qint64, std::vector<SentenceRecord>> pages;
    std::vector<SentenceRecord> selected, preparedAfter;
    std::optional<qint64> shownPage;
    // The rest of a page handed out once when asked for it, and what had been selected then.
    std::vector<SentenceRecord> heldBack, heldBackAfter;
    size_t selectedWhenHeldBackTaken = 0;

    void selectSentence(const SentenceRecord &s) override { selected.push_back(s); }
    std::vector<SentenceRecord> prepareContentAfter(const SentenceRecord &s) override
    {
        preparedAfter.push_back(s);
        for (auto it = pages.upper_bound(s.pageIndex); it != pages.end(); ++it)
            if (!it->second.empty())
                return it->second;
        return {};
    }
    std::vector<SentenceRecord> sentencesHeldBackAfter(const SentenceRecord &last) override
    {
        heldBackAfter.push_back(last);
        selectedWhenHeldBackTaken = selected.size();
        return std::exchange(heldBack, {});
    }
    qint64 currentPageIndex() const override
    {
        return shownPage.value_or(selected.empty() ? 0 : selected.back().pageIndex);
    }
    SelectionCode selectionCodeForRange(TextRange, qint64 pageIndex) const override
    {
        SelectionCode code{};
        code.pageIndex = pageIndex;
        return code;
    }
};

// A speaking loop on fake voices over a recording view, on a clock the test moves.
struct LoopRig {
    FakeSpeechService service;
    RecordingView view;
    SpeechSetFilter filter;
    SpeechTextPath textPath;
    ReadingProgress progress;
    ReadingSession session;
    QDateTime clock = QDateTime(QDate(2026, 1, 1), QTime(9, 0), Qt::UTC);
    SpeakingLoop loop{{service, view, view, filter, textPath, progress, session, [this] { return clock; }}};

    FakeSynthesizer &synth() { return *service.latest; }
    QString lastSpoken() { return synth().spoken.isEmpty() ? QString() : synth().spoken.last(); }
};

// The loop and the voice catalogue over it: what the tests of the voice menu and its popover
// stand on.
struct VoiceRig : LoopRig {
    MemoryDefaultsStore defaults;
    VoiceCatalogue catalogue{service, defaults};
};

} // namespace narrata::testing
