#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace narrata {

// Repairs words whose ligature was lost from a page's text and left a space behind ("de ne" for
// "define", "of ce" for "office"). Keys are lower-case fragments, values the words they stand for.
using LigatureMap = QMap<QString, QString>;

// The ligatures the speech library ships word lists for, longest first.
QStringList knownLigatures();
// The folder of the word lists in the library's resources: one "<ligature>.txt" per ligature.
QString ligatureWordListFolder();

// Builds the repair map from the word list of every ligature L ("<folder>/<L>.txt", UTF-8, one
// word per line, compared in lower case). For a word W containing L, with T = W with every L
// replaced by a space: " T" → " W" when W begins with L; "T " → "W ", and likewise before ".",
// "?" and ",", when W ends with L; and T → W when T, trimmed, has at least four characters.
LigatureMap prepareMapForLigatures(
    const QStringList &ligatures, const QString &wordListFolder = ligatureWordListFolder());

// The text in lower case with every key of the map replaced by its value. Longer keys go first,
// so that where word lists overlap the most specific fragment is repaired, whatever the order.
QString substituteForLigaturesInString(const QString &text, const LigatureMap &map);

} // namespace narrata
