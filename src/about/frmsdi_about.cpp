#include "app/frmsdi.h"

namespace zeq {

// Placeholders until the about box and help land.
void frmSDI::mnuShowHelp_Click() {}
void frmSDI::mnuShowVersion_Click() {}

} // namespace zeq
