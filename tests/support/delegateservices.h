#pragma once

#include "documents/appdelegate.h"
#include "platform/mupdf/mupdfservice.h"
#include "platform/settingsstores/memorydefaultsstore.h"

#include "support/fakedesktop.h"
#include "support/fakespeech.h"
#include "support/pdffixture.h"

#include <QTemporaryDir>

namespace narrata::testing {

// What the application's state is made on in tests: MuPDF, a fake synthesizer and desktop,
// settings in memory, files in a temporary folder, and the sample book as the user guide.
class DelegateServices {
protected:
    DelegateServices()
    {
        guidePath = folder.filePath(QStringLiteral("Narrata User Guide.pdf"));
        sampleBook().writeTo(guidePath);
        AppDelegate::initialize(defaults);
    }

    AppDelegate::Services services(DocumentView &view, ReaderWindow &window)
    {
        return {pdfService, speech, defaults, desktop, view, window, guidePath,
            folder.filePath(QStringLiteral("Word Mappings for Narrata.txt")), QStringLiteral("0.1.0"), supportPath()};
    }
    // The application's own data folder, inside the user's data folder of this test.
    QString supportPath() const { return folder.filePath(QStringLiteral("data/Narrata")); }
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = folder.filePath(name);
        writeBytes(path, bytes);
        return path;
    }

    QTemporaryDir folder;
    QString guidePath;
    MuPDFService pdfService;
    FakeSpeechService speech;
    MemoryDefaultsStore defaults;
    FakeDesktopServices desktop;
};

} // namespace narrata::testing
