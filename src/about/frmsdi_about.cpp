#include "about/frmabout.h"
#include "app/frmsdi.h"

namespace zeq {

void frmSDI::mnuShowHelp_Click()
{
    showGeneralHelp(m_modal);
}

void frmSDI::mnuShowVersion_Click()
{
    // A fresh box for every showing: OK or the close box ends its life.
    About box(this);
    box.exec();
}

} // namespace zeq
