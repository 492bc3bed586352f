#include "app/automation/GridViewSelection.h"

CGridViewSelection::CGridViewSelection()
    : ViewSelection(ChildKind::Grid, "GridViewSelection", Policy::Hold)
{}
