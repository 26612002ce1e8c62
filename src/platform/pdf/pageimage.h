#pragma once

#include <QByteArray>

namespace narrata {

// A drawn region of a page: 8-bit red, green and blue per pixel, rows from the top, each row
// padded to a multiple of four bytes as image classes expect. Null when nothing was drawn.
struct PageImage {
    int width = 0;
    int height = 0;
    qsizetype bytesPerLine = 0;
    QByteArray pixels; // height rows of bytesPerLine bytes

    static PageImage white(int width, int height)
    {
        const qsizetype bytesPerLine = (qsizetype(width) * 3 + 3) / 4 * 4;
        return {width, height, bytesPerLine, QByteArray(bytesPerLine * height, char(0xff))};
    }

    bool isNull() const { return pixels.isEmpty(); }

    friend bool operator==(const PageImage &, const PageImage &) = default;
};

} // namespace narrata
