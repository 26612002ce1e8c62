#pragma once

#include <QtGlobal>

#include <limits>

namespace narrata {

// The marker for "no such index, location or page".
inline constexpr qint64 kNotFound = std::numeric_limits<qint64>::max();

// A run of UTF-16 code units in a page's text: (location, length).
struct TextRange {
    quint64 location = 0;
    quint64 length = 0;

    quint64 end() const { return location + length; }
    bool isEmpty() const { return length == 0; }

    // Unsigned containment: an index below the location, or a negative one, is nowhere.
    bool contains(qint64 index) const
    {
        if (index < 0)
            return false;
        const auto i = static_cast<quint64>(index);
        return i >= location && (i - location) < length;
    }

    bool intersects(const TextRange &other) const { return location < other.end() && other.location < end(); }

    TextRange intersected(const TextRange &other) const
    {
        const quint64 start = qMax(location, other.location);
        const quint64 stop = qMin(end(), other.end());
        return stop > start ? TextRange{start, stop - start} : TextRange{start, 0};
    }

    friend bool operator==(const TextRange &, const TextRange &) = default;
};

} // namespace narrata
