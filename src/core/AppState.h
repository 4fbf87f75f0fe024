#pragma once

#include "core/AppPaths.h"

namespace tavimo {

class Prompts;
class SettingsStore;

// The program's shared data: made once in main() and handed to every window;
// tests make their own. Nothing here is global.
struct AppState {
    AppPaths paths;
    SettingsStore *settings = nullptr; // not owned
    Prompts *prompts = nullptr;        // not owned
};

} // namespace tavimo
