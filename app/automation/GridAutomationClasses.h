#pragma once

namespace platform::automation {
class ClassRegistry;
}

// Binds the six grid automation classes to their factories and dispatch tables. They live with
// the grid window's view (app_grid), apart from the classes registerHarluneAutomation binds;
// the program registers both. GUI thread, at start-up.
void registerGridAutomation(platform::automation::ClassRegistry& registry);
