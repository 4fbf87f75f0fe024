#pragma once

#include "core/app/SaveConfig.h"

namespace tavimo {

struct AppState;

// SaveConfig of the shared data as it stands: the configuration, each list
// that was read whole (a list that failed to load is never written back), and,
// with the main window's own values (null while it is hidden), the settings
// store; messages go through the program's prompts.
SaveConfigResult saveAppState(AppState &state, const WindowSideValues *window);

} // namespace tavimo
