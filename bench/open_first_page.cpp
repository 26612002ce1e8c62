// Opens a document and draws its first page the way the page view does when a document is
// opened, then exits: `open-first-page FILE.pdf`. The render benchmark times whole runs of
// it against whole runs of `mutool draw`, so that both pay for starting a process.
// `open-first-page --start-only` exits at once: what starting the process costs alone.
#include "page_view_scale.h"
#include "platform/mupdf/mupdfservice.h"

#include <QString>

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fputs("usage: open-first-page FILE.pdf | --start-only\n", stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--start-only") == 0)
        return 0;
    // No application object: opening and drawing need none, and the window's start-up is not
    // what is measured here.
    const auto document = narrata::MuPDFService().openFile(QString::fromLocal8Bit(argv[1]));
    const auto page = document ? document->pageAtIndex(0) : nullptr;
    if (!page) {
        std::fprintf(stderr, "open-first-page: cannot open %s\n", argv[1]);
        return 1;
    }
    const QRectF cropBox = page->boundsForBox(narrata::PDFDisplayBox::CropBox);
    const narrata::PageImage image = page->renderRegion(cropBox, fitToWidthScale(cropBox));
    return image.isNull() ? 1 : 0;
}
