#pragma once

#include "app/automation/SpectrumSettingsObject.h"
#include "platform/automation/DispatchBinder.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <source_location>

// "Harlune.SpecStoreSpectra": the target spectrum window's store and copy commands and the
// main frame's global store commands, each run as from the menu (the script's VerifyMenu,
// questions and dialogs included), and the channel selection the store commands offer.
// GUI thread only.
class I_SpecStoreSpectra : public SpectrumSettingsObject
{
public:
    static I_SpecStoreSpectra* create() { return new I_SpecStoreSpectra(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    // The main frame's StoreDarkReference preference: FALSE stores every active channel
    // without asking, TRUE asks with the channel dialog.
    bool GetStoreForAll();
    void SetStoreForAll(bool ask);
    // Bit k = channel k selected (k = 0 to 7); bits 8 to 15 are ignored on a put.
    int16_t GetSelectedChannels();
    void SetSelectedChannels(int16_t mask);

    void Dark();
    void Reference();
    void SampleDark();
    // Copy All Spectral Data (text columns) and Copy (the chart's picture).
    void CopySpectra();
    void CopyGraphicalSpectra();
    // The main frame's Store Global Dark and Store Global Reference.
    void GlobalDark();
    void GlobalReference();

private:
    I_SpecStoreSpectra() : SpectrumSettingsObject("I_SpecStoreSpectra") {}
    ~I_SpecStoreSpectra() override = default;

    void command(void (CHarluneSpectrumView::*run)(),
                 std::source_location where = std::source_location::current());
};
