#include "app/frmsdi.h"

namespace zeq {

// Placeholders until the display image lands.
void frmSDI::mnuZeqShow_Click() {}
void frmSDI::justWidthEx(QTextEdit *, int) {}
QString frmSDI::getLine(const TextBox &, int) const { return QString(); }

} // namespace zeq
