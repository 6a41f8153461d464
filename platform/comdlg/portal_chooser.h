// The desktop's own chooser through the XDG desktop portal
// (org.freedesktop.portal.FileChooser on the session bus).
#pragma once

#include "comdlg/file_request.h"
#include "comdlg/modal_wait.h"

namespace nol::comdlg {

// Unavailable where there is no session bus, no portal on it (neither running nor
// activatable), the portal refuses the call, or it ends the request itself
// (response 2): the next chooser is tried then. Chosen paths come back as the
// portal's file:// URIs; a URI of another kind is Refused.
ChooserAnswer ChooseWithPortal(const FileRequest& request, ModalWait& wait);

}  // namespace nol::comdlg
