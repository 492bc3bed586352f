#pragma once

namespace platform::automation {
class ClassRegistry;
}

// Binds the program's automation classes to their factories and dispatch tables and registers
// the type library's enumerations, so that scripts and outside clients can create them by
// ProgID. Registering again replaces the bindings. Also installs the numerical library's
// throwing stop hook, so that its fatal errors fail an automation call instead of ending the
// program. GUI thread, at start-up.
void registerHarluneAutomation(platform::automation::ClassRegistry& registry);
