// The host's utilities, reached by plug-ins with UtilsBoss::QueryUtils: the interfaces of
// the boss class kUtilsBoss, which holds no state, so one boss serves a whole run
// (Runtime::Utilities; a query with no runtime running makes a boss of its own, which the
// returned interface keeps). This host brings the layout utility (0x1D03E), the document
// utilities (0x15f) with the document-file handler they give, the document-file utility
// (0x16309) and the number-to-text utility (0x17403). Other subsystems add theirs (the
// panel manager, 0x682) with AddUtility from a HostModule of order 2 or more; a plug-in's
// resource file can add some with an add-in to "kUtilsBoss".
// User-interface thread only.
#pragma once

#include "IDTypes.h"

namespace tshost {

// Fails when kUtilsBoss is not defined yet (a module of order below 2).
ErrorCode AddUtility(PMIID iid, ImplementationID impl);

}  // namespace tshost
