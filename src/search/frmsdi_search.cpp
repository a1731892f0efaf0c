#include "app/frmsdi.h"

namespace zeq {

// Placeholders until find lands.
void frmSDI::mnuSearchFind_Click() {}
void frmSDI::mnuSearchFindNext_Click() {}

} // namespace zeq
