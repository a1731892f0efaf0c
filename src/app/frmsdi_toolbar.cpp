#include "app/frmsdi.h"

namespace zeq {

// Placeholders until the tool bar lands.
void frmSDI::createToolbar() {}
void frmSDI::Image1_MouseMove(int) {}
void frmSDI::Image1_Click(int) {}
void frmSDI::releaseHotButton() {}
void frmSDI::syncToolbar() {}

} // namespace zeq
