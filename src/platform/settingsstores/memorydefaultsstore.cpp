#include "memorydefaultsstore.h"

namespace narrata {

MemoryDefaultsStore::MemoryDefaultsStore(const QVariantMap &values)
    : m_values(values)
{
}

QVariant MemoryDefaultsStore::value(const QString &key) const
{
    const auto found = m_values.constFind(key);
    return found != m_values.cend() ? *found : m_registered.value(key);
}

void MemoryDefaultsStore::setValue(const QString &key, const QVariant &value)
{
    if (key.isEmpty())
        return;
    if (!value.isValid()) {
        removeValue(key);
        return;
    }
    m_values.insert(key, value);
}

void MemoryDefaultsStore::removeValue(const QString &key)
{
    m_values.remove(key);
}

bool MemoryDefaultsStore::contains(const QString &key) const
{
    return m_values.contains(key);
}

void MemoryDefaultsStore::registerDefaults(const QVariantMap &defaults)
{
    m_registered.insert(defaults);
}

bool MemoryDefaultsStore::synchronize()
{
    ++m_synchronizeCount;
    return m_synchronizeResult;
}

} // namespace narrata
