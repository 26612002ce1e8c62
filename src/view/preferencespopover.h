#pragma once

#include "settings/preferences.h"

#include <QWidget>

#include <array>
#include <memory>
#include <utility>

class QCheckBox;

namespace narrata {

class DefaultsStore;

namespace Ui {
class PreferencesPopover;
}

// The preferences window, dropped down from its toolbar button. The ten reading and PDF pack
// preferences are reported to the window, which applies and stores them; the few settings that
// only this window edits (window on top at launch, the font of copied location links) go
// straight to the store.
class PreferencesPopover final : public QWidget {
    Q_OBJECT

public:
    explicit PreferencesPopover(DefaultsStore &store, QWidget *parent = nullptr);
    ~PreferencesPopover() override;

    // Reloads the store's settings into their controls, then shows the popover under anchor,
    // kept on anchor's screen.
    void showBelow(QWidget *anchor);

    // Shows the preferences without reporting them back as changes.
    void setPreferences(const Preferences &preferences);
    Preferences preferences() const;

signals:
    void preferencesChanged(const narrata::Preferences &preferences);

private:
    void loadStoredSettings();
    void write(QLatin1String key, const QVariant &value);

    std::unique_ptr<Ui::PreferencesPopover> ui;
    DefaultsStore &m_store;
    std::array<std::pair<QCheckBox *, bool Preferences::*>, preferenceProperties.size()> m_boxes{};
};

} // namespace narrata
