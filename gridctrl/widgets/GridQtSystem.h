#pragma once

#include "gridctrl/model/GridSystem.h"

namespace gridctrl::widgets {

// What the grid reads of the system in a Qt program: the Shift and Ctrl keys as the input
// event being handled has them (the application's keyboard modifiers, which Qt keeps with
// each key and mouse event it delivers); colours, metrics and the locale as the model's
// built-in answers. GUI thread only.
class GridQtSystem : public model::GridSystem
{
public:
    bool isKeyDown(int virtualKey) const override;
};

// Makes a GridQtSystem the grid's default provider, so that Shift and Ctrl with the keys and
// the scroll bars reach the selection. Idempotent; GUI thread only.
void installGridQtSystem();

} // namespace gridctrl::widgets
