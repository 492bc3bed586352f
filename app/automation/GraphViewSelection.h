#pragma once

#include "app/automation/ViewSelection.h"

// The graph window an automation object acts on: chosen when the object is made and again by
// GetTargetView or SetByName; a choice by name that finds none keeps the window held before.
// Once that window closed there is none until the next choice. GUI thread only.
class CGraphViewSelection : public ViewSelection
{
public:
    CGraphViewSelection();
};
