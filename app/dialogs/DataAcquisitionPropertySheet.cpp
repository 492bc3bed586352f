#include "app/dialogs/DataAcquisitionPropertySheet.h"

#include "app/dialogs/DataExchange.h"
#include "platform/qt/UiServices.h"

#include <stdexcept>

using namespace app::dialogs;

namespace {

// String 61446.
constexpr const char* kDataAcquisitionCaption = "Configure Data Acquisition";

// Thrown by the apply steps after a refused value: the sheet stays open.
class DataAcquisitionValueRefused : public std::runtime_error
{
public:
    DataAcquisitionValueRefused() : std::runtime_error("a value is outside its range") {}
};

} // namespace

CDataAcquisitionPropertySheet::CDataAcquisitionPropertySheet(DialogSpectrumView& view,
                                                             QWidget* parent)
    : PropertySheet(kDataAcquisitionCaption, parent), m_view(view),
      m_settings(DataAcquisitionSettings::load(view)),
      m_openedInLongIntMode(m_settings.triggerMode == 4), m_basic(m_settings),
      m_trigger(m_settings), m_strobe(m_settings)
{
    AddPage(&m_basic);
    AddPage(&m_trigger);
    AddPage(&m_strobe);
}

void CDataAcquisitionPropertySheet::OnApplySteps()
{
    if (const std::optional<RangeFailure> failure = checkRanges(m_settings)) {
        const int index = static_cast<int>(failure->page);
        SetActivePage(index);
        platform::framework::PropertyPage* page = GetPage(index);
        page->initialiseOnce();
        page->SetModified(true);
        DataExchange exchange(page, true);
        exchange.fail(failure->control, rangeMessage(failure->range));
        throw DataAcquisitionValueRefused();
    }
    applyDataAcquisitionSettings(m_settings, m_view, m_openedInLongIntMode,
                                 [this](const std::string& text, const std::string& caption) {
                                     platform::qt::uiServices().messageBox(
                                         text, caption, platform::qt::kMbOk, this);
                                 });
}
