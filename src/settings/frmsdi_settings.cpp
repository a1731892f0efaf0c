#include "app/frmsdi.h"

namespace zeq {

// Placeholder until the settings dialog lands.
void frmSDI::mnuSettei_Click() {}

} // namespace zeq
