#pragma once

#include "platform/settings/defaultsstore.h"

class QSettings;

namespace narrata {

// Settings in an INI file written by QSettings. Values the user set are read once, kept in
// memory and written back, key by key over the file's current contents, by synchronize().
// Nested maps are stored whole, in QSettings' own @Variant(...) form.
//
// A file that exists but cannot be read, or is not a settings file, is never written: the store
// reports it in problem(), runs on the registered defaults and keeps what is set in memory.
class QSettingsDefaultsStore : public DefaultsStore {
public:
    // The user's file, ~/.config/Narrata/Narrata.conf (under $XDG_CONFIG_HOME when it is set).
    QSettingsDefaultsStore();
    // The INI file at filePath; it and its folder are created on the first write.
    explicit QSettingsDefaultsStore(const QString &filePath);

    QVariant value(const QString &key) const override;
    void setValue(const QString &key, const QVariant &value) override;
    void removeValue(const QString &key) override;
    bool contains(const QString &key) const override;
    void registerDefaults(const QVariantMap &defaults) override;
    bool synchronize() override;
    QString problem() const override { return m_problem; }

    QString fileName() const { return m_fileName; }

    bool updateMapEntries(const std::vector<MapEntryChange> &changes) override;

private:
    void read();
    QString lockFileName() const;
    // Writes the unwritten changes into settings, under the lock already held, the file checked.
    bool writeUnwritten(QSettings &settings);

    QString m_fileName;
    QString m_problem;
    QVariantMap m_values; // what the user set: the file's values with the changes made since
    QVariantMap m_registered;
    QVariantMap m_unwritten; // changes not yet in the file; an invalid value is a removal
};

} // namespace narrata
