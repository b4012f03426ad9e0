#include "server/forms/frmCpanel.h"

namespace tolm::server {

frmCpanel::frmCpanel() : forms::Form("frmCpanel") {
    set_caption("TolmServer7 Control Panel");
    set_border_style(forms::BorderStyle::fixed_dialog);
    set_min_button(false);
    set_max_button(false);
    // Client area 4500 x 2550 twips.
    move(0, 0, 4500, 2550);
    set_help_context_id(30);
}

}  // namespace tolm::server
