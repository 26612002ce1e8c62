#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace narrata {

class DefaultsStore;

// The fonts whose text is not read aloud in the document shown, kept per PDF file name under
// "ignoredFontsByPDF" as a map from font label ("Courier 9.0 pt") to 1. Two PDFs with the same
// file name share one list. Every change is written through to the store.
class IgnoredFonts {
public:
    // store must outlive this object.
    explicit IgnoredFonts(DefaultsStore &store);

    // Makes fileName (the last path component of the shown document's URL) the current
    // document and loads its list. Without a name the list is left as it was, and changes to it
    // are not stored.
    void load(const QString &fileName);
    const QString &fileName() const { return m_fileName; }

    // Adds or removes a font label in the list as stored now and stores it at once, when there
    // is a file name. An empty label (no font) does nothing.
    void add(const QString &label);
    void remove(const QString &label);

    bool contains(const QString &label) const { return m_fonts.contains(label); }
    QStringList labels() const { return m_fonts.keys(); }
    const QVariantMap &fonts() const { return m_fonts; }

private:
    void change(const QString &label, bool ignored);

    DefaultsStore &m_store;
    QString m_fileName;
    QVariantMap m_fonts; // label → 1
};

} // namespace narrata
