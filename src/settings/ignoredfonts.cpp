#include "ignoredfonts.h"

#include "platform/settings/defaultsstore.h"
#include "settings/registereddefaults.h"

namespace narrata {

namespace {

const QString &storeKey()
{
    static const QString key(settingskeys::ignoredFontsByPDF);
    return key;
}

} // namespace

IgnoredFonts::IgnoredFonts(DefaultsStore &store)
    : m_store(store)
{
}

void IgnoredFonts::load(const QString &fileName)
{
    m_fileName = fileName;
    if (fileName.isEmpty())
        return;
    // A stored entry that is not a map gives an empty list.
    m_fonts = m_store.mapForKey(storeKey()).value(fileName).toMap();
}

void IgnoredFonts::add(const QString &label)
{
    change(label, true);
}

void IgnoredFonts::remove(const QString &label)
{
    change(label, false);
}

void IgnoredFonts::change(const QString &label, bool ignored)
{
    if (label.isEmpty())
        return;
    const auto apply = [&label, ignored](QVariantMap fonts) {
        if (ignored)
            fonts.insert(label, 1);
        else
            fonts.remove(label);
        return fonts;
    };
    if (m_fileName.isEmpty()) {
        m_fonts = apply(m_fonts);
        return;
    }
    // The document's list as stored now, which another window or process may have changed.
    m_store.updateMapEntry(storeKey(), m_fileName, [&](const QVariant &stored) {
        m_fonts = apply(stored.toMap());
        return QVariant(m_fonts);
    });
}

} // namespace narrata
