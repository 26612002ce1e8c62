#pragma once

#include "platform/settingsstores/memorydefaultsstore.h"
#include "speech/speakingloop.h"
#include "speech/voicecatalogue.h"

#include "support/fakespeech.h"
#include "support/silentview.h"

namespace narrata::testing {

// A speaking loop on fake voices that shows nothing, and the voice catalogue over it: what the
// tests of the voice menu and its popover stand on.
struct VoiceRig {
    FakeSpeechService service;
    MemoryDefaultsStore defaults;
    SilentView view;
    SpeechSetFilter filter;
    SpeechTextPath textPath;
    ReadingProgress progress;
    ReadingSession session;
    SpeakingLoop loop{{service, view, filter, textPath, progress, session}};
    VoiceCatalogue catalogue{service, defaults};
};

} // namespace narrata::testing
