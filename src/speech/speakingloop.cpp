#include "speakingloop.h"

namespace narrata {

SpeakingLoop::SpeakingLoop(Collaborators collaborators)
    : m_(std::move(collaborators))
{
}

SpeakingLoop::~SpeakingLoop()
{
    if (m_ss)
        m_ss->setDelegate(nullptr);
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
    const QString joined = joinHyphenatedLineEnds(record.sentence);
    m_.textPath.runtimeReloadCustomDictionaryMap();
    if (m_ss)
        m_ss->startSpeakingString(m_.textPath.speakableStringWithWordMappings(joined));
    m_.view.selectSentence(record);
    if (sentenceStarted)
        sentenceStarted(record);
}

void SpeakingLoop::loadSpeechSet(const std::vector<SentenceRecord> &sentences)
{
    if (isSpeechPausedByUser) {
        m_.session.accountPauseEndingAt(m_.now());
        isSpeechPausedByUser = false;
    }
    if (isSpeaking())
        stopSpeaking();
    m_speechSet = m_.filter.smartenedSpeechSet(sentences);
    if (!m_speechSet.empty())
        startPageIndex = m_speechSet.front().pageIndex;
    if (!isSpeaking()) {
        readSpeechSet();
        if (!m_.session.sessionStartTime)
            m_.session.sessionStartTime = m_.now();
    }
}

void SpeakingLoop::appendSpeechSet(const std::vector<SentenceRecord> &sentences)
{
    const std::vector<SentenceRecord> smartened = m_.filter.smartenedSpeechSet(sentences);
    m_speechSet.insert(m_speechSet.end(), smartened.begin(), smartened.end());
}

void SpeakingLoop::didFinishSpeaking(SpeechSynthesizer *synthesizer, bool finished)
{
    // A stopped or replaced utterance moves nothing, even when new speech has begun since.
    if (!finished || synthesizer != m_ss.get())
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
        m_.view.selectSentence(finishedSentence);
    } else if (walkNext) {
        finishedSentence = m_speechSet.front();
        m_speechSet.erase(m_speechSet.begin());
        m_pastSpeechSet.push_back(finishedSentence);
        m_.view.selectSentence(m_speechSet.front());
    }

    m_.progress.saveSentencesReadProgress(finishedSentence);
    m_.session.updateCurrentSessionDidFinishSpeaking(spokenWordCount(finishedSentence.sentence), m_.now());

    if (!isModeSentenceWalkJ && !isModeSentenceWalkK && !isModeSentenceWalkL) {
        if (m_speechSet.size() == 1)
            appendSpeechSet(m_.content.prepareContentAfter(finishedSentence));
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
        m_.session.accountPauseEndingAt(m_.now());
        readSpeechSet();
    } else {
        m_.session.sessionPauseBeginTime = m_.now();
        onlyPauseSpeaking();
    }
    isSpeechPausedByUser = !isSpeechPausedByUser;
}

void SpeakingLoop::onlyPauseSpeaking()
{
    if (isSpeaking())
        m_ss->stopSpeaking();
}

void SpeakingLoop::stopSpeaking()
{
    if (!isSpeaking())
        return;
    m_ss->stopSpeaking();
    m_speechSet.clear();
}

void SpeakingLoop::resetSpeechEngine()
{
    if (isSpeaking())
        m_ss->stopSpeaking();
    m_speechSet.clear();
}

void SpeakingLoop::resetCurrentSession()
{
    m_.session.reset();
    isSpeechPausedByUser = false;
}

void SpeakingLoop::reloadSpeechSynthesizer()
{
    const bool wasSpeaking = isSpeaking();
    if (m_ss) {
        m_ss->stopSpeaking();
        m_ss->setDelegate(nullptr);
    }
    if (!ttsVoice)
        ttsVoice = m_.speechService.defaultVoice();
    m_ss = m_.speechService.createSynthesizer(*ttsVoice);
    if (ttsRate > 0)
        m_ss->setRate(ttsRate);
    m_ss->setDelegate(this);
    if (wasSpeaking)
        readSpeechSet();
    m_labelTextVoiceInfo = voiceLabel();
}

QString SpeakingLoop::voiceLabel() const
{
    const VoiceAttributes attributes = m_.speechService.attributesForVoice(ttsVoice.value_or(QString()));
    // The region follows "language_"; an identifier too short to have one shows none.
    const QString region = attributes.localeIdentifier.mid(3);
    const QString voice = QStringLiteral("%1 (%2)").arg(attributes.name, region);
    return QStringLiteral("Voice: %1 (%2 wpm)").arg(voice, QString::asprintf("%3.0f", double(m_ss->rate())));
}

void SpeakingLoop::clearWalkModes()
{
    isModeSentenceWalkJ = isModeSentenceWalkK = isModeSentenceWalkL = false;
}

} // namespace narrata
