#pragma once

#include "app/automation/SpectrumChartObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.SpecAnnotation": text notes on the target spectrum window's chart, in the window's
// 200 annotation records. A record keeps its chart text area from its first use on, so
// clearing and adding again reuses it. The text is cut at 99 bytes and the face name at 31,
// never inside a character; an index outside 0 to 199 answers the zero result; a font height
// outside 1 to 400 or a position that is not finite is refused (AddAnnotation -1, as with no
// free record). GUI thread only.
class I_SpecAnnotation : public SpectrumChartObject
{
public:
    static constexpr int kRecords = CHarluneSpectrumView::kAnnotationRecords;

    static I_SpecAnnotation* create() { return new I_SpecAnnotation(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    // Frees a record in use and hides its text area; TRUE for any index in range.
    bool ClearAnnotation(int16_t index);
    // The index of the record used, or -1 when none is free or the call was refused.
    int16_t AddAnnotation(const std::string& text, const std::string& fontName, int16_t fontSize,
                          int32_t color, double x, double y);
    // FALSE for a free record.
    bool ModifyAnnotation(int16_t index, const std::string& text, const std::string& fontName,
                          int16_t fontSize, int32_t color, double x, double y);

private:
    I_SpecAnnotation() : SpectrumChartObject("I_SpecAnnotation") {}
    ~I_SpecAnnotation() override = default;
};
