#pragma once

#include "driver/core/OperationSet.h"

namespace driver::boards {

// The CadrelPCI card's operation set "IstrelCadrelPCIOperationSet".
core::OperationSet cadrelPciOperationSet();
void registerCadrelPciSet();

} // namespace driver::boards
