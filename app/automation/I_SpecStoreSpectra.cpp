#include "app/automation/I_SpecStoreSpectra.h"

#include "app/shell/MainFrame.h"
#include "app/spectrum/SpectrumTypes.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;

const DispatchTable& I_SpecStoreSpectra::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecStoreSpectra;
        DispatchBinder<C> b;
        b.property("StoreForAll", &C::GetStoreForAll, &C::SetStoreForAll)
            .property("SelectedChannels", &C::GetSelectedChannels, &C::SetSelectedChannels);
        addWindowMembers(b);
        b.method("Dark", &C::Dark)
            .method("Reference", &C::Reference)
            .method("SampleDark", &C::SampleDark)
            .method("CopySpectra", &C::CopySpectra)
            .method("CopyGraphicalSpectra", &C::CopyGraphicalSpectra)
            .method("GlobalDark", &C::GlobalDark)
            .method("GlobalReference", &C::GlobalReference);
        return b.table();
    }();
    return t;
}

bool I_SpecStoreSpectra::GetStoreForAll()
{
    return onPreferences(false, [](MainFramePreferences& p) { return p.StoreDarkReference != 0; });
}

void I_SpecStoreSpectra::SetStoreForAll(bool ask)
{
    withPreferences([&](MainFramePreferences& p) { p.StoreDarkReference = ask ? 1 : 0; });
}

int16_t I_SpecStoreSpectra::GetSelectedChannels()
{
    return onView(int16_t{0}, [](CHarluneSpectrumView& view) {
        int mask = 0;
        for (int k = 0; k < kSpectrumChannels; ++k)
            if (view.selectedChannel(k) == 1)
                mask |= 1 << k;
        return static_cast<int16_t>(mask);
    });
}

void I_SpecStoreSpectra::SetSelectedChannels(int16_t mask)
{
    withView([&](CHarluneSpectrumView& view) {
        for (int k = 0; k < kSpectrumChannels; ++k)
            view.setSelectedChannel(k, (mask >> k) & 1);
    });
}

void I_SpecStoreSpectra::command(void (CHarluneSpectrumView::*run)(), std::source_location where)
{
    withView([&](CHarluneSpectrumView& view) { (view.*run)(); }, where);
}

void I_SpecStoreSpectra::Dark()
{
    command(&CHarluneSpectrumView::OnStoreDark);
}

void I_SpecStoreSpectra::Reference()
{
    command(&CHarluneSpectrumView::OnStoreReference);
}

void I_SpecStoreSpectra::SampleDark()
{
    command(&CHarluneSpectrumView::OnStoreSampleDark);
}

void I_SpecStoreSpectra::CopySpectra()
{
    command(&CHarluneSpectrumView::OnCopyAllSpectralData);
}

void I_SpecStoreSpectra::CopyGraphicalSpectra()
{
    command(&CHarluneSpectrumView::OnCopyGraphicalSpectra);
}

void I_SpecStoreSpectra::GlobalDark()
{
    onTargetDo([](uint32_t) { requireAutomationFrame().core().OnGlobalDark(); });
}

void I_SpecStoreSpectra::GlobalReference()
{
    onTargetDo([](uint32_t) { requireAutomationFrame().core().OnGlobalReference(); });
}
