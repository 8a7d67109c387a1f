// The fixed texts of the main dialog's two message boxes. UTF-8, one "\n"
// between lines and none after the last; shown as they stand, through the
// wide message box. No Windows header, so that they are tested natively.
#pragma once

namespace qor {

// "&Sobre": a title, two credit lines and the notices.
extern const char kAboutCaption[];
extern const char kAboutMessage[];

// "&Ayudar" and F1: how to use the dialog, and its warnings.
extern const char kHelpCaption[];
extern const char kHelpMessage[];

}  // namespace qor
