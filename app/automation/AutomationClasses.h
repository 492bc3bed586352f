#pragma once

namespace platform::automation {
class ClassRegistry;
}

// Binds the program's automation classes to their factories and dispatch tables and registers
// the type library's enumerations, so that scripts and outside clients can create them by
// ProgID. Registering again replaces the bindings. GUI thread, at start-up.
void registerHarluneAutomation(platform::automation::ClassRegistry& registry);
