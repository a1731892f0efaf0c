#pragma once
// What the application object needs before the first window: stand-in
// Japanese faces and Qt's own texts in Japanese, like every other caption.

namespace zeq {

// Call once, right after the QApplication exists.
void prepareApplication();

// The program's icon for every window, and the desktop entry's name.
void installWindowIcon();

// Loads Qt's Japanese texts for its buttons and standard dialogs; false when
// the translation (Debian's qt6-translations-l10n) is not installed.
bool installQtTranslation();

} // namespace zeq
