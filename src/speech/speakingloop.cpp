#include "speakingloop.h"

namespace narrata {

SpeakingLoop::SpeakingLoop(Collaborators collaborators)
    : m_collaborators(std::move(collaborators))
{
}

SpeakingLoop::~SpeakingLoop()
{
    if (m_synthesizer)
        m_synthesizer->setDelegate(nullptr);
}

void SpeakingLoop::readSpeechSet()
{
    if (m_speechSet.empty())
        return;
    speak(m_speechSet.front());
}

// The whole text path of a sentence from the queue to the synthesizer, then its selection.
void SpeakingLoop::speak(const SentenceRecord &sentence)
{
    const SentenceRecord record = sentence; // the lists may change under the view's feet
    const QString joined = sentenceForSpeech(record.sentence);
    m_collaborators.textPath.runtimeReloadCustomDictionaryMap();
    if (m_synthesizer)
        m_synthesizer->startSpeakingString(m_collaborators.textPath.speakableStringWithWordMappings(joined));
    m_collaborators.view.selectSentence(record);
    if (sentenceStarted)
        sentenceStarted(record);
}

void SpeakingLoop::loadSpeechSet(const std::vector<SentenceRecord> &sentences)
{
    if (isSpeechPausedByUser) {
        m_collaborators.session.accountPauseEndingAt(m_collaborators.now());
        isSpeechPausedByUser = false;
    }
    if (isSpeaking())
        stopSpeaking();
    // The first sentence kept starts to sound before the rest of the list, and the rest of its
    // page that the content held back, are prepared and smartened: unless the filter orders the
    // sentences, smartening them one at a time gives the same list.
    m_speechSet.clear();
    auto rest = sentences.begin();
    while (!m_collaborators.filter.ordersSentences() && m_speechSet.empty() && rest != sentences.end())
        m_speechSet = m_collaborators.filter.smartenedSpeechSet({*rest++});
    const bool started = !m_speechSet.empty();
    if (started)
        startSpeechSet();
    std::vector<SentenceRecord> remaining(rest, sentences.end());
    if (!sentences.empty()) {
        const std::vector<SentenceRecord> heldBack = m_collaborators.content.sentencesHeldBackAfter(sentences.back());
        remaining.insert(remaining.end(), heldBack.begin(), heldBack.end());
    }
    appendSpeechSet(remaining);
    if (!started)
        startSpeechSet();
}

void SpeakingLoop::startSpeechSet()
{
    if (!m_speechSet.empty())
        startPageIndex = m_speechSet.front().pageIndex;
    if (!isSpeaking()) {
        readSpeechSet();
        if (!m_collaborators.session.sessionStartTime)
            m_collaborators.session.sessionStartTime = m_collaborators.now();
    }
}

void SpeakingLoop::appendSpeechSet(const std::vector<SentenceRecord> &sentences)
{
    const std::vector<SentenceRecord> smartened = m_collaborators.filter.smartenedSpeechSet(sentences);
    m_speechSet.insert(m_speechSet.end(), smartened.begin(), smartened.end());
}

void SpeakingLoop::didFinishSpeaking(SpeechSynthesizer *synthesizer, bool finished)
{
    // A stopped or replaced utterance moves nothing, even when new speech has begun since.
    if (!finished || synthesizer != m_synthesizer.get())
        return;

    // Walks whose lists cannot give what the branch takes end in silence, lists intact.
    const bool walkPrevious = isModeSentenceWalkJ, walkNext = isModeSentenceWalkL;
    if (m_speechSet.empty() || (walkPrevious && m_pastSpeechSet.empty()) || (walkNext && m_speechSet.size() < 2)) {
        clearWalkModes();
        return;
    }

    SentenceRecord finishedSentence = m_speechSet.front();
    if (walkPrevious) {
        finishedSentence = m_pastSpeechSet.back();
        m_pastSpeechSet.pop_back();
        m_speechSet.insert(m_speechSet.begin(), finishedSentence);
        m_collaborators.view.selectSentence(finishedSentence);
    } else if (walkNext) {
        finishedSentence = m_speechSet.front();
        m_speechSet.erase(m_speechSet.begin());
        m_pastSpeechSet.push_back(finishedSentence);
        m_collaborators.view.selectSentence(m_speechSet.front());
    }

    m_collaborators.progress.saveSentencesReadProgress(finishedSentence);
    m_collaborators.session.updateCurrentSessionDidFinishSpeaking(
        spokenWordCount(finishedSentence.sentence), m_collaborators.now());

    if (!isModeSentenceWalkJ && !isModeSentenceWalkK && !isModeSentenceWalkL) {
        if (m_speechSet.size() == 1)
            appendSpeechSet(m_collaborators.content.prepareContentAfter(finishedSentence));
        if (!m_speechSet.empty())
            m_speechSet.erase(m_speechSet.begin());
        ++numSentencesCompleted;
        readSpeechSet();
        if (m_speechSet.empty() && readingEnded)
            readingEnded();
    }
    clearWalkModes();
}

void SpeakingLoop::togglePauseSpeech()
{
    if (isSpeechPausedByUser) {
        m_collaborators.session.accountPauseEndingAt(m_collaborators.now());
        readSpeechSet();
    } else {
        m_collaborators.session.sessionPauseBeginTime = m_collaborators.now();
        onlyPauseSpeaking();
    }
    isSpeechPausedByUser = !isSpeechPausedByUser;
}

void SpeakingLoop::onlyPauseSpeaking()
{
    if (isSpeaking())
        m_synthesizer->stopSpeaking();
}

void SpeakingLoop::stopSpeaking()
{
    if (!isSpeaking())
        return;
    m_synthesizer->stopSpeaking();
    m_speechSet.clear();
}

void SpeakingLoop::resetSpeechEngine()
{
    if (isSpeaking())
        m_synthesizer->stopSpeaking();
    m_speechSet.clear();
}

void SpeakingLoop::resetCurrentSession()
{
    m_collaborators.session.reset();
    isSpeechPausedByUser = false;
}

void SpeakingLoop::reloadSpeechSynthesizer()
{
    const bool wasSpeaking = isSpeaking();
    if (m_synthesizer) {
        m_synthesizer->stopSpeaking();
        m_synthesizer->setDelegate(nullptr);
    }
    if (!ttsVoice)
        ttsVoice = m_collaborators.speechService.defaultVoice();
    m_synthesizer = m_collaborators.speechService.createSynthesizer(*ttsVoice);
    if (ttsRate > 0)
        m_synthesizer->setRate(ttsRate);
    m_synthesizer->setDelegate(this);
    if (wasSpeaking)
        readSpeechSet();
    m_labelTextVoiceInfo = voiceLabel();
}

QString SpeakingLoop::voiceLabel() const
{
    const VoiceAttributes attributes = m_collaborators.speechService.attributesForVoice(ttsVoice.value_or(QString()));
    // The region follows "language_"; an identifier too short to have one shows none.
    const QString region = attributes.localeIdentifier.mid(3);
    const QString voice = QStringLiteral("%1 (%2)").arg(attributes.name, region);
    return QStringLiteral("Voice: %1 (%2 wpm)").arg(voice, QString::asprintf("%3.0f", double(m_synthesizer->rate())));
}

void SpeakingLoop::clearWalkModes()
{
    isModeSentenceWalkJ = isModeSentenceWalkK = isModeSentenceWalkL = false;
}

} // namespace narrata
