#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <functional>
#include <vector>

namespace narrata {

// The user's settings: values the user set, over registered defaults that answer for every key
// the user never set. Registered defaults live only in memory; only set values are stored.
class DefaultsStore {
public:
    virtual ~DefaultsStore() = default;

    // The value the user set for key, else its registered default, else an invalid QVariant.
    // A value read back from a file may come as a string where the file keeps no type; the
    // typed helpers below convert it.
    virtual QVariant value(const QString &key) const = 0;
    // Setting an invalid QVariant removes the key. An empty key is ignored.
    virtual void setValue(const QString &key, const QVariant &value) = 0;
    // Forgets the user's value; reads fall back to the registered default.
    virtual void removeValue(const QString &key) = 0;
    // True when the user set a value for key; a registered default alone does not count.
    virtual bool contains(const QString &key) const = 0;
    // Adds to (and for the same keys replaces) the registered defaults.
    virtual void registerDefaults(const QVariantMap &defaults) = 0;
    // Writes the set values out; false when they could not be written, so they are not stored.
    virtual bool synchronize() = 0;
    // Changes one entry of a map-valued setting and writes the store out at once. `update` is
    // handed the entry as it is stored now (invalid when there is none) and gives its new value
    // (invalid removes it). A store shared between processes re-reads the map under a lock
    // first, so that their changes to other entries are kept. False when it was not written.
    struct MapEntryChange {
        QString key;
        QString entry;
        std::function<QVariant(const QVariant &stored)> update;
    };
    bool updateMapEntry(
        const QString &key, const QString &entry, const std::function<QVariant(const QVariant &stored)> &update)
    {
        return updateMapEntries({{key, entry, update}});
    }
    // Several such changes, written out together: one after the other here, where nothing else
    // shares the values; in one locked read and write by a store kept in a file.
    virtual bool updateMapEntries(const std::vector<MapEntryChange> &changes)
    {
        bool written = true;
        for (const MapEntryChange &change : changes) {
            setValue(change.key, changedMap(mapForKey(change.key), change));
            written = synchronize() && written;
        }
        return written;
    }
    // Empty, or one line saying why the stored settings could not be read. Such a store runs on
    // the registered defaults, keeps what is set in memory and leaves the damaged file alone.
    virtual QString problem() const = 0;

    bool boolForKey(const QString &key) const { return value(key).toBool(); }
    QString stringForKey(const QString &key) const { return value(key).toString(); }
    double doubleForKey(const QString &key) const { return value(key).toDouble(); }
    qint64 integerForKey(const QString &key) const { return value(key).toLongLong(); }
    // Empty when the value is not a map.
    QVariantMap mapForKey(const QString &key) const { return value(key).toMap(); }

protected:
    static QVariantMap changedMap(QVariantMap map, const MapEntryChange &change)
    {
        const QVariant changed = change.update(map.value(change.entry));
        if (changed.isValid())
            map.insert(change.entry, changed);
        else
            map.remove(change.entry);
        return map;
    }
};

} // namespace narrata
