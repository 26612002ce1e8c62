#pragma once

#include "platform/speech/speechsynthesizer.h"

#include <QString>

#include <optional>
#include <vector>

namespace narrata {

class DefaultsStore;
class SpeakingLoop;

// One item of the voice menu: the voice it picks and what the menu shows for it.
struct VoiceMenuEntry {
    QString identifier;
    QString title; // "name (region)" with the English-adult filter on, "name (locale)" with it off
    QString backend; // "espeak-ng", "flite": the menu groups the voices by backend

    friend bool operator==(const VoiceMenuEntry &, const VoiceMenuEntry &) = default;
};

// What the voice popover shows and does, without the widgets: the voice menu built from the
// speech service, the selected item and the rate slider, restored from and stored to the user's
// settings, and handed to the speaking loop, which applies them by replacing its synthesizer.
// The popover mirrors entries(), selectedIndex() and rate() and reports the user's changes
// through setSelectedIndex() and setRate(); nothing is heard or stored before apply() or reset().
class VoiceCatalogue {
public:
    VoiceCatalogue(SpeechService &service, DefaultsStore &defaults);

    // Rebuilds the menu from the service's voices and restores the stored voice and rate into the
    // controls and into the loop's ttsVoice and ttsRate; without a stored voice it returns to the
    // defaults as reset() does. The loop's synthesizer is left as it is: at launch the loop
    // creates its first one next.
    void prepareVoices(SpeakingLoop &loop);
    // For a backend that listed its voices after the launch: when the stored voice, which the
    // default voice stood in for, is offered now, it goes into the controls and the loop's
    // ttsVoice, and the answer is true (the loop's synthesizer is then to be reloaded).
    bool adoptStoredVoiceNowOffered(SpeakingLoop &loop);
    // Writes the filter option and rebuilds the menu; the stored voice stays selected.
    void setShowOnlyEnglishAdultVoices(bool on, SpeakingLoop &loop);
    bool showsOnlyEnglishAdultVoices() const;

    // Puts the stored choice back into the controls and reloads the loop's synthesizer, so the
    // sentence being spoken starts again. For opening the popover.
    void preparePopover(SpeakingLoop &loop);
    // Stores the controls' voice and rate and has the loop speak with them.
    void apply(SpeakingLoop &loop);
    // Forgets the stored choice: the default voice at its default rate.
    void reset(SpeakingLoop &loop);

    const std::vector<VoiceMenuEntry> &entries() const { return m_entries; }
    // -1 only when the menu is empty.
    int selectedIndex() const { return m_selected; }
    // An index out of the menu selects nothing; the menu then has no voice to apply.
    void setSelectedIndex(int index);
    // The selected item's voice, or none.
    std::optional<QString> selectedVoice() const;

    // The slider's range, words per minute: what the speech service can speak.
    RateRange rateRange() const { return m_service.rateRange(); }
    // The slider's value: 0 before it was ever set, else within the slider's range.
    float rate() const { return m_rate; }
    // A value of 0 or less (or not a number) is 0; others are held to the slider's range.
    void setRate(float wordsPerMinute);
    // The slider's value for its label: "175 wpm".
    QString rateLabel() const;

private:
    void buildMenu();
    void selectVoice(const QString &identifier);
    void restoreDefaults(SpeakingLoop &loop);
    std::optional<QString> storedVoice() const;
    float storedRate() const;

    SpeechService &m_service;
    DefaultsStore &m_defaults;
    std::vector<VoiceMenuEntry> m_entries;
    int m_selected = -1;
    float m_rate = 0;
};

} // namespace narrata
