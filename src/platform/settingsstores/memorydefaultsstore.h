#pragma once

#include "platform/settings/defaultsstore.h"

namespace narrata {

// Settings kept in memory only: for tests, and for a run that must not touch the user's file.
class MemoryDefaultsStore : public DefaultsStore {
public:
    MemoryDefaultsStore() = default;
    // Starts with values as if the user had set them.
    explicit MemoryDefaultsStore(const QVariantMap &values);

    QVariant value(const QString &key) const override;
    void setValue(const QString &key, const QVariant &value) override;
    void removeValue(const QString &key) override;
    bool contains(const QString &key) const override;
    void registerDefaults(const QVariantMap &defaults) override;
    bool synchronize() override;
    QString problem() const override { return {}; }

    // The values the user set, without the registered defaults.
    QVariantMap values() const { return m_values; }
    // How often synchronize() was called, and what it answers (true unless told otherwise).
    int synchronizeCount() const { return m_synchronizeCount; }
    void setSynchronizeResult(bool result) { m_synchronizeResult = result; }

private:
    QVariantMap m_values;
    QVariantMap m_registered;
    int m_synchronizeCount = 0;
    bool m_synchronizeResult = true;
};

} // namespace narrata
