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
    if (label.isEmpty())
        return;
    m_fonts.insert(label, 1);
    save();
}

void IgnoredFonts::remove(const QString &label)
{
    if (label.isEmpty())
        return;
    m_fonts.remove(label);
    save();
}

void IgnoredFonts::save()
{
    if (m_fileName.isEmpty())
        return;
    QVariantMap byFileName = m_store.mapForKey(storeKey());
    byFileName.insert(m_fileName, m_fonts);
    m_store.setValue(storeKey(), byFileName);
    m_store.synchronize();
}

} // namespace narrata
