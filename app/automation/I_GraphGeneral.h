#pragma once

#include "app/automation/GraphAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GraphGeneral": the target graph window's repaint switch, its size in traces and
// points, its chart on the clipboard or in a bitmap file, and a new chart of traces x points.
// GUI thread only.
class I_GraphGeneral : public GraphAutomationObject
{
public:
    static I_GraphGeneral* create() { return new I_GraphGeneral(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetGlobalRepaint();
    void SetGlobalRepaint(bool value);
    void RepaintNow();
    int32_t GetNumberOfPoints();
    int32_t GetNumberOfTraces();
    bool CopyToClipboard();
    bool SaveAsBitmap(const std::string& Filename);
    void PrintPreview();
    bool PrintGraph();
    bool InitGraph(int32_t numtraces, int32_t numpoints, const std::string& name);

private:
    I_GraphGeneral() : GraphAutomationObject("I_GraphGeneral") {}
    ~I_GraphGeneral() override = default;
};
