#pragma once

#include "platform/framework/ResourceTables.h"

#include <span>

namespace app::res {

// The program's resource tables, handed to the framework at start-up: the menus of the main
// frame (128), of the spectrum, grid and graph templates (129, 131, 210) and the tool-bar pop-up
// (227), their accelerators, the tool bars, the commands' status-bar prompts and the strings.
std::span<const platform::framework::MenuResource> menus();
std::span<const platform::framework::AcceleratorResource> accelerators();
std::span<const platform::framework::ToolBarResource> toolBars();
std::span<const platform::framework::CommandPrompt> prompts();
std::span<const platform::framework::StringResource> strings();

} // namespace app::res
