#pragma once

namespace narrata {

class CustomPDFView;

// The page view as assistive technology sees it: the text of the page that holds the
// selection (or of the page shown), with the sentence being read as the selected range and
// the caret at its start, so that a screen reader user can follow the reading.
void installPageViewAccessibility();
// Tells assistive technology that the selection moved, when any is listening.
void announcePageViewSelection(CustomPDFView &view);

} // namespace narrata
