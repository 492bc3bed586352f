#include "app/automation/GraphViewSelection.h"

CGraphViewSelection::CGraphViewSelection()
    : ViewSelection(ChildKind::Graph, "GraphViewSelection", Policy::Hold)
{}
