#include "preferences.h"

#include "platform/settings/defaultsstore.h"

#include <cstddef>

namespace narrata {

// A member added to Preferences without a row above, or a row naming a member twice, would be
// neither loaded nor saved.
static_assert(sizeof(Preferences) == preferenceProperties.size() * sizeof(bool));
static_assert([] {
    for (std::size_t i = 0; i < preferenceProperties.size(); ++i) {
        for (std::size_t j = i + 1; j < preferenceProperties.size(); ++j) {
            if (preferenceProperties[i].member == preferenceProperties[j].member)
                return false;
        }
    }
    return true;
}());

Preferences loadUserPreferencesFromUserDefaults(const DefaultsStore &defaults)
{
    Preferences preferences;
    for (const PreferenceProperty &property : preferenceProperties) {
        if (const QVariant value = defaults.value(property.key); value.isValid())
            preferences.*property.member = value.toBool();
    }
    return preferences;
}

bool saveUserPreferencesToUserDefaults(const Preferences &preferences, DefaultsStore &defaults)
{
    // All ten are saved, the visual-order and weird-bounds ones too: one left unsaved would
    // silently forget the user's choice at the next launch.
    for (const PreferenceProperty &property : preferenceProperties)
        defaults.setValue(property.key, preferences.*property.member);
    return defaults.synchronize();
}

} // namespace narrata
