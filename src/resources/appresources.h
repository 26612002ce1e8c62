#pragma once

#include <QString>

namespace narrata {

// Registers the compiled-in resources: the user guide and the help text (a static library
// needs this done explicitly). Safe to call repeatedly, from any thread; the functions below
// call it themselves.
void initAppResources();

// The user guide as a file ("Narrata User Guide.pdf") in the application's cache folder, so
// that other programs (the user's PDF viewer) may open it. It is copied out of the resources,
// atomically, when missing or different from the compiled-in bytes. Empty when it cannot be
// written.
QString userGuidePath();

// The resource path of the help text: ":/HelpPopoverText.html".
QString helpPopoverTextResource();

} // namespace narrata
