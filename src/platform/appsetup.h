#pragma once
// What the application object needs before the first window: stand-in
// Japanese faces and Qt's own texts in the user's language.

namespace zeq {

// Call once, right after the QApplication exists.
void prepareApplication();

} // namespace zeq
