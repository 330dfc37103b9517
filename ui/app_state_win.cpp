// The one instance of the process-wide state.
#include "ui/app_state_win.h"

namespace varrel {

AppState g_app;

}  // namespace varrel
