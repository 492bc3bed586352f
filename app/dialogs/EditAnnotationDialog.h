#pragma once

#include "app/dialogs/ChartDialogNeighbours.h"
#include "app/dialogs/ValueDialog.h"

#include <cstdint>
#include <string>

class COXTextLabel;
class QLineEdit;

namespace platform::chart {
class CColorPanel;
}

namespace app::dialogs {
class ChartFontFields;
}

// "Edit Annotation" (dialog 222): an annotation's text, face, size and colour with a preview
// on the chart's background, and "Make Default", which makes the current face, size and colour
// the owner's defaults for new annotations at once. The caller sets the annotation index (a
// slot, or -1 for a new note) and reads text, face, size and colour after IDOK. GUI thread
// only.
class CEditAnnotationDialog : public app::dialogs::ValueDialog
{
public:
    CEditAnnotationDialog(app::dialogs::ChartSpectrumOwner& owner, QWidget* parent);

    int m_annotationIndex = -1;
    std::string m_text;
    std::string m_faceName;
    int m_size = 0;
    uint32_t m_color = 0;
    std::string m_sizeText;

    COXTextLabel* preview() const { return m_preview; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(app::dialogs::DataExchange& exchange) override;

private:
    void fontChanged();
    void OnMakeDefault();

    app::dialogs::ChartSpectrumOwner& m_owner;
    app::dialogs::ChartFontFields* m_font;
    platform::chart::CColorPanel* m_swatch;
    QLineEdit* m_edit;
    COXTextLabel* m_preview;
    bool m_filling = false;
};
