#pragma once

#include "app/dialogs/ChartDialogNeighbours.h"
#include "app/dialogs/ValueDialog.h"

#include <string>

class QLabel;
class QLineEdit;

namespace platform::chart {
class CColorPanel;
}

namespace app::dialogs {
class ChartFontFields;
}

// "Configure Axis Text" (dialog 218): the face, size and colour of a chart's title or axis
// texts and, in the modes that have one, the text itself. The owner is the spectrum view when
// the dialog is opened from one, else the graph view. Mode 0 edits the main title; a graph's
// modes 1 and 2 its X and Y titles; a spectrum view's other modes (the constructed -1) its
// axis texts. Every change goes to the chart and the owner at once; a graph mode other than
// 0 to 2 changes nothing. The caller sets the mode and, in text modes, the current text
// before running it. GUI thread only.
class CConfigureAxisTextDialog : public app::dialogs::ValueDialog
{
public:
    CConfigureAxisTextDialog(const app::dialogs::ChartDialogParent& parent, QWidget* window);

    int m_mode = -1;
    std::string m_sizeText;
    std::string m_text;

    // Whether the owner is a spectrum view.
    bool spectrumOwner() const { return m_spectrum != nullptr; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(app::dialogs::DataExchange& exchange) override;

private:
    // What the mode edits; false when it edits nothing.
    bool titleMode() const;
    bool active() const;
    bool hasText() const;
    app::dialogs::DialogFont storedFont() const;
    void fontChanged();
    void textChanged();

    app::dialogs::ChartSpectrumOwner* m_spectrum;
    app::dialogs::ChartGraphOwner* m_graph;
    platform::chart::XrtHandle m_chart = 0;
    app::dialogs::ChartFontFields* m_font;
    platform::chart::CColorPanel* m_swatch;
    QLabel* m_textLabel;
    QLineEdit* m_textEdit;
    bool m_filling = false;
};
