#pragma once

#include "platform/speech/speechsynthesizer.h"
#include "readingcontent.h"
#include "readingprogress.h"
#include "readingsession.h"
#include "readingview.h"
#include "speechtextpath.h"

#include <QDateTime>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace narrata {

// Turns lists of sentences into continuous speech: one sentence per utterance, the spoken
// sentence selected as it starts, the next page fetched when the queue is down to its last
// sentence. Lives on the main thread; the synthesizer reports back there.
class SpeakingLoop final : public SpeechSynthesizerDelegate {
public:
    struct Collaborators {
        SpeechService &speechService;
        ReadingView &view;
        ReadingContent &content;
        SpeechSetFilter &filter;
        SpeechTextPath &textPath;
        ReadingProgress &progress;
        ReadingSession &session;
        std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };
    };

    explicit SpeakingLoop(Collaborators collaborators);
    ~SpeakingLoop() override;

    void loadSpeechSet(const std::vector<SentenceRecord> &sentences);
    void appendSpeechSet(const std::vector<SentenceRecord> &sentences);
    void readSpeechSet();

    void togglePauseSpeech();
    void onlyPauseSpeaking();
    void stopSpeaking();
    void resetSpeechEngine();
    // Replaces the synthesizer with one for ttsVoice at ttsRate; speech in progress restarts.
    void reloadSpeechSynthesizer();
    // A new session; a pause in progress is forgotten.
    void resetCurrentSession();

    void didFinishSpeaking(SpeechSynthesizer *synthesizer, bool finished) override;

    // The one-sentence walks: previous (J), the current one again (K), next (L), around a
    // sentence, or around the page shown when there is none.
    void setDocument(const PDFDocument *document) { m_document = document; }
    void startSentenceWalkJ(const std::optional<SentenceRecord> &sentence);
    void startSentenceWalkK(const std::optional<SentenceRecord> &sentence);
    void startSentenceWalkL(const std::optional<SentenceRecord> &sentence);
    void prepSpeechSetsForWalk(const std::optional<SentenceRecord> &sentence);

    const std::vector<SentenceRecord> &speechSet() const { return m_speechSet; }
    std::vector<SentenceRecord> &pastSpeechSet() { return m_pastSpeechSet; }
    SpeechSynthesizer *synthesizer() const { return m_synthesizer.get(); }

    bool isModeSentenceWalkJ = false; // the previous-sentence walk
    bool isModeSentenceWalkK = false; // the current-sentence walk
    bool isModeSentenceWalkL = false; // the next-sentence walk
    bool isSpeechPausedByUser = false;
    qint64 startPageIndex = 0;
    quint64 numSentencesCompleted = 0;
    std::optional<QString> ttsVoice;
    float ttsRate = 0;

    // "Voice: name (region) (rate wpm)", refreshed by reloadSpeechSynthesizer.
    const QString &labelTextVoiceInfo() const { return m_labelTextVoiceInfo; }
    // Called when regular reading runs out of sentences (the document or the set ended).
    std::function<void()> readingEnded;
    // Called as each sentence is handed to the synthesizer, after it is selected.
    std::function<void(const SentenceRecord &)> sentenceStarted;

private:
    bool isSpeaking() const { return m_synthesizer && m_synthesizer->isSpeaking(); }
    void speak(const SentenceRecord &sentence);
    // Speaks the first sentence of the set just loaded, unless speech goes on.
    void startSpeechSet();
    void clearWalkModes();
    QString voiceLabel() const;

    std::vector<SentenceRecord> smartenedPage(qint64 pageIndex);

    Collaborators m_collaborators;
    const PDFDocument *m_document = nullptr;
    std::unique_ptr<SpeechSynthesizer> m_synthesizer;
    std::vector<SentenceRecord> m_speechSet;
    std::vector<SentenceRecord> m_pastSpeechSet;
    QString m_labelTextVoiceInfo;
};

} // namespace narrata
