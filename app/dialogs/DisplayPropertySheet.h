#pragma once

#include "app/dialogs/ChartDialogNeighbours.h"
#include "app/dialogs/DisplayPropertyPageActiveLine.h"
#include "app/dialogs/DisplayPropertyPageActivePoint.h"
#include "app/dialogs/DisplayPropertyPageStaticLine.h"
#include "app/dialogs/DisplayPropertyPageStaticPoint.h"
#include "platform/framework/PropertySheet.h"

// "Display Properties": the line and point styles and colours of a spectrum window's eight
// channels and eight overlays on four pages. The constructor loads the pages from the view's
// sixteen data-style records; OK and Apply write every record back (pages never shown with
// the values they were loaded with) and hand each to the chart while its repaint is held.
// Cancel writes nothing; what an Apply wrote stays. GUI thread only.
class CDisplayPropertySheet : public platform::framework::PropertySheet
{
public:
    CDisplayPropertySheet(app::dialogs::DisplaySheetView& view, QWidget* parent);

    void OnApplySteps() override;

    CDisplayPropertyPageActiveLine& activeLinePage() { return m_activeLine; }
    CDisplayPropertyPageActivePoint& activePointPage() { return m_activePoint; }
    CDisplayPropertyPageStaticLine& staticLinePage() { return m_staticLine; }
    CDisplayPropertyPageStaticPoint& staticPointPage() { return m_staticPoint; }

private:
    app::dialogs::DisplaySheetView& m_view;
    CDisplayPropertyPageActiveLine m_activeLine;
    CDisplayPropertyPageActivePoint m_activePoint;
    CDisplayPropertyPageStaticLine m_staticLine;
    CDisplayPropertyPageStaticPoint m_staticPoint;
};
