#include "app/dialogs/ConfigureLegendDialog.h"

#include "app/dialogs/ChartFontFields.h"
#include "app/dialogs/ColorField.h"
#include "app/dialogs/DataExchange.h"
#include "app/dialogs/StyleLists.h"
#include "platform/chart/ColorPanel.h"
#include "platform/chart/XrtProperties.h"
#include "platform/framework/ControlIds.h"
#include "toolkit/widgets/COXFontComboBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

using namespace app::dialogs;
using namespace platform::chart;
using platform::framework::setControlId;

namespace {

constexpr const char* kLocations[] = {"Top",         "Bottom",     "Right",       "Left",
                                      "Upper-right", "Upper-left", "Lower-right", "Lower-left"};
constexpr std::array<int, 8> kLocationValues = {16, 32, 1, 2, 17, 18, 33, 34};
constexpr const char* kOrientations[] = {"Default", "Vertical", "Horizontal"};
constexpr const char* kBorders[] = {"None",      "3D Out",     "3D In",    "Shadow",    "Plain",
                                    "Etched In", "Etched Out", "Frame In", "Frame Out", "Bevel"};

// The chart's layout switches and places of the chart area.
constexpr int kAreaWidth = 1536;
constexpr int kAreaHeight = 1537;
constexpr int kAreaLeft = 2816;
constexpr int kAreaTop = 2817;
constexpr int kAreaWidthAuto = 3584;
constexpr int kAreaHeightAuto = 3585;
constexpr int kAreaLeftAuto = 3586;
constexpr int kAreaTopAuto = 3587;

// A list index from a chart value, -1 when the list has no such entry.
int legendListIndex(std::int64_t value, int count)
{
    return value >= 0 && value < count ? static_cast<int>(value) : -1;
}

} // namespace

std::span<const int> CConfigureLegendDialog::locationValues()
{
    return kLocationValues;
}

CConfigureLegendDialog::CConfigureLegendDialog(const ChartDialogParent& parent, QWidget* window)
    : ValueDialog(216, "Configure Legend", window), m_spectrum(parent.spectrumView),
      m_graph(parent.spectrumView != nullptr ? nullptr : parent.graphView)
{
    if (m_spectrum != nullptr)
        m_chart = m_spectrum->chart();
    else if (m_graph != nullptr)
        m_chart = m_graph->chart();

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_visible = new QCheckBox(QStringLiteral("Visible"), this);
    setControlId(m_visible, 1557);
    form->addRow(m_visible);
    m_floating = new QCheckBox(QStringLiteral("Floating"), this);
    setControlId(m_floating, 1564);
    form->addRow(m_floating);
    const auto combo = [&](unsigned id, const char* label, std::span<const char* const> items) {
        auto* box = new QComboBox(this);
        setControlId(box, id);
        fillComboBox(box, items);
        box->setCurrentIndex(-1);
        form->addRow(QString::fromUtf8(label), box);
        return box;
    };
    m_location = combo(1558, "Location", kLocations);
    m_orientation = combo(1561, "Orientation", kOrientations);
    m_border = combo(1559, "Border", kBorders);
    m_width = combo(1560, "Width", widthAndSizeNames());
    m_background = new CColorPanel(this);
    setControlId(m_background, 1555);
    m_background->setMinimumSize(48, 20);
    form->addRow(QStringLiteral("Background Color"), m_background);
    m_foreground = new CColorPanel(this);
    setControlId(m_foreground, 1556);
    m_foreground->setMinimumSize(48, 20);
    form->addRow(QStringLiteral("Foreground Color"), m_foreground);
    m_font = new ChartFontFields(this, 1562, 1563);
    form->addRow(QStringLiteral("Font"), m_font->faceBox());
    form->addRow(QStringLiteral("Size"), m_font->sizeBox());
    layout->addLayout(form);
    addOkCancel(layout);

    const auto listChanged = [this](QComboBox* box, int property, bool location) {
        connect(box, &QComboBox::currentIndexChanged, this, [this, box, property, location] {
            const int index = box->currentIndex();
            if (m_filling || index < 0)
                return;
            set(property, location ? kLocationValues[static_cast<std::size_t>(index)] : index);
        });
    };
    listChanged(m_location, kXrtLegendAnchor, true);
    listChanged(m_orientation, kXrtLegendOrientation, false);
    listChanged(m_border, kXrtLegendBorder, false);
    listChanged(m_width, kXrtLegendBorderWidth, false);
    attachColorField(m_background,
                     [this](uint32_t color) { set(kXrtLegendBackgroundColor, color); });
    attachColorField(m_foreground,
                     [this](uint32_t color) { set(kXrtLegendForegroundColor, color); });
    m_font->onChanged([this] { fontChanged(); });
    connect(m_floating, &QCheckBox::clicked, this, [this] { floatingClicked(); });
    connect(m_visible, &QCheckBox::clicked, this, [this] { visibleClicked(); });
}

bool CConfigureLegendDialog::OnInitDialog()
{
    m_filling = true;
    DialogChart& chart = dialogChart();
    const auto read = [&](int property) { return chart.getValue(m_chart, property).toInt(); };
    m_visible->setChecked(read(kXrtLegendShown) != 0);
    const auto anchor = read(kXrtLegendAnchor);
    const auto* found = std::find(kLocationValues.begin(), kLocationValues.end(), anchor);
    m_location->setCurrentIndex(
        found != kLocationValues.end() ? static_cast<int>(found - kLocationValues.begin()) : -1);
    m_orientation->setCurrentIndex(
        legendListIndex(read(kXrtLegendOrientation), m_orientation->count()));
    m_border->setCurrentIndex(legendListIndex(read(kXrtLegendBorder), m_border->count()));
    m_width->setCurrentIndex(legendListIndex(read(kXrtLegendBorderWidth), m_width->count()));
    m_background->SetBackColor(static_cast<uint32_t>(read(kXrtLegendBackgroundColor)));
    m_foreground->SetBackColor(static_cast<uint32_t>(read(kXrtLegendForegroundColor)));
    DialogFont font;
    if (m_spectrum != nullptr)
        font = m_spectrum->legendFont();
    else if (m_graph != nullptr)
        font = m_graph->legendFont();
    m_font->show(font.face, font.size);
    m_floating->setChecked(floating() != 0);
    m_filling = false;
    return true;
}

void CConfigureLegendDialog::set(int property, const XrtValue& value)
{
    if (m_spectrum == nullptr && m_graph == nullptr)
        return;
    DialogChart& chart = dialogChart();
    chart.setValue(m_chart, kXrtRepaint, 0);
    chart.setValue(m_chart, property, value);
    chart.setValue(m_chart, kXrtRepaint, 1);
}

int CConfigureLegendDialog::floating() const
{
    if (m_spectrum != nullptr)
        return m_spectrum->legendFloating();
    return m_graph != nullptr ? m_graph->legendFloating() : 0;
}

void CConfigureLegendDialog::pinChartArea()
{
    const std::array<int, 2> size =
        m_spectrum != nullptr ? m_spectrum->clientSize() : m_graph->clientSize();
    DialogChart& chart = dialogChart();
    chart.setValue(m_chart, kXrtRepaint, 0);
    chart.setValue(m_chart, kAreaLeftAuto, 0);
    chart.setValue(m_chart, kAreaTopAuto, 0);
    chart.setValue(m_chart, kAreaLeft, 0);
    chart.setValue(m_chart, kAreaTop, 0);
    chart.setValue(m_chart, kAreaWidth, size[0]);
    chart.setValue(m_chart, kAreaHeight, size[1]);
    chart.setValue(m_chart, kXrtRepaint, 1);
}

void CConfigureLegendDialog::releaseChartArea()
{
    DialogChart& chart = dialogChart();
    chart.setValue(m_chart, kXrtRepaint, 0);
    for (int property : {kAreaWidthAuto, kAreaHeightAuto, kAreaLeftAuto, kAreaTopAuto})
        chart.setValue(m_chart, property, 1);
    chart.setValue(m_chart, kXrtRepaint, 1);
}

void CConfigureLegendDialog::fontChanged()
{
    if (m_spectrum == nullptr && m_graph == nullptr)
        return;
    const DialogFont font{m_font->face(), m_font->size()};
    DialogChart& chart = dialogChart();
    chart.setValue(m_chart, kXrtRepaint, 0);
    if (m_spectrum != nullptr)
        m_spectrum->setLegendFont(font);
    else
        m_graph->setLegendFont(font);
    chart.setValue(m_chart, kXrtLegendFont, XrtFont{font.face, font.size});
    chart.setValue(m_chart, kXrtRepaint, 1);
}

void CConfigureLegendDialog::floatingClicked()
{
    if (m_spectrum == nullptr && m_graph == nullptr)
        return;
    const int on = m_floating->isChecked() ? 1 : 0;
    if (m_spectrum != nullptr)
        m_spectrum->setLegendFloating(on);
    else
        m_graph->setLegendFloating(on);
    if (on != 0)
        pinChartArea();
    else
        releaseChartArea();
}

void CConfigureLegendDialog::visibleClicked()
{
    if (m_spectrum == nullptr && m_graph == nullptr)
        return;
    const int visible = m_visible->isChecked() ? 1 : 0;
    set(kXrtLegendShown, visible);
    if (visible != 0 && floating() == 0)
        releaseChartArea();
    else
        pinChartArea();
}
