#include "app/frmsdi.h"

namespace zeq {

// Placeholders until the editing commands land.
void frmSDI::mnuEditCut_Click() {}
void frmSDI::mnuEditCopy_Click() {}
void frmSDI::mnuEditPaste_Click() {}
void frmSDI::mnuEditDelete_Click() {}
void frmSDI::mnuEditDeleteEx_Click() {}
void frmSDI::mnuInsertSPA_Click() {}
void frmSDI::mnuEditSelectAll_Click() {}
void frmSDI::txtNote_KeyUp() {}
void frmSDI::txtNote_MouseMove() {}

} // namespace zeq
