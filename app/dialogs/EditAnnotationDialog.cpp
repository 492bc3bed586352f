#include "app/dialogs/EditAnnotationDialog.h"

#include "app/dialogs/ChartFontFields.h"
#include "app/dialogs/ColorField.h"
#include "platform/chart/ColorPanel.h"
#include "platform/chart/XrtProperties.h"
#include "platform/framework/ControlIds.h"
#include "toolkit/widgets/COXFontComboBox.h"
#include "toolkit/widgets/COXTextLabel.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace app::dialogs;
using platform::framework::setControlId;

namespace {
constexpr const char* kNewAnnotationText = "Enter your annotation here";
}

CEditAnnotationDialog::CEditAnnotationDialog(ChartSpectrumOwner& owner, QWidget* parent)
    : ValueDialog(222, "Edit Annotation", parent), m_owner(owner)
{
    auto* layout = new QVBoxLayout(this);
    auto* fontRow = new QHBoxLayout;
    m_font = new ChartFontFields(this, 1564, 1565);
    fontRow->addWidget(m_font->faceBox(), 1);
    fontRow->addWidget(m_font->sizeBox());
    m_swatch = new platform::chart::CColorPanel(this);
    setControlId(m_swatch, 1572);
    m_swatch->setMinimumSize(48, 20);
    fontRow->addWidget(m_swatch);
    auto* makeDefault = new QPushButton(QStringLiteral("Make Default"), this);
    setControlId(makeDefault, 1569);
    makeDefault->setAutoDefault(false);
    fontRow->addWidget(makeDefault);
    layout->addLayout(fontRow);

    auto* form = new QFormLayout;
    m_edit = new QLineEdit(this);
    setControlId(m_edit, 1571);
    form->addRow(QStringLiteral("Annotation"), m_edit);
    layout->addLayout(form);

    layout->addWidget(new QLabel(QStringLiteral("Preview"), this));
    m_preview = new COXTextLabel(0, COXTextLabel::GM_COMPATIBLE, 1, 4, this);
    setControlId(m_preview, 1573);
    m_preview->setMinimumSize(320, 80);
    layout->addWidget(m_preview, 1);
    addOkCancel(layout);

    m_font->onChanged([this] { fontChanged(); });
    connect(m_edit, &QLineEdit::textChanged, this, [this] {
        if (m_filling)
            return;
        UpdateData(true);
        m_preview->SetText(m_text);
    });
    attachColorField(m_swatch, [this](uint32_t color) {
        m_color = color;
        m_preview->SetTextColor(color);
    });
    connect(makeDefault, &QPushButton::clicked, this, [this] { OnMakeDefault(); });
}

bool CEditAnnotationDialog::OnInitDialog()
{
    const ChartSpectrumOwner::Annotation source = m_annotationIndex != -1
                                                      ? m_owner.annotation(m_annotationIndex)
                                                      : m_owner.annotationDefaults();
    if (m_annotationIndex != -1)
        m_text = source.text;
    else
        m_text = kNewAnnotationText;
    m_faceName = source.font.face;
    m_size = source.font.size;
    m_color = source.color;

    m_preview->SetText(m_text, false);
    m_preview->SetFontName(m_faceName, false);
    m_preview->SetFontHeight(m_size, false);
    m_preview->SetTextColor(m_color, false);
    const auto background =
        dialogChart().getValue(m_owner.chart(), platform::chart::kXrtBackgroundColor).toInt();
    m_preview->SetBkColor(static_cast<uint32_t>(background));

    m_filling = true;
    m_edit->setText(QString::fromStdString(m_text));
    m_font->show(m_faceName, m_size);
    m_sizeText = m_font->sizeText();
    m_swatch->SetBackColor(m_color);
    m_filling = false;
    // Typing replaces the whole text at once.
    m_edit->setFocus();
    m_edit->selectAll();
    return false;
}

void CEditAnnotationDialog::DoDataExchange(DataExchange& exchange)
{
    exchange.text(1571, m_text);
    if (exchange.saving())
        m_sizeText = m_font->sizeText();
}

void CEditAnnotationDialog::fontChanged()
{
    m_faceName = m_font->face();
    m_size = m_font->size();
    m_sizeText = m_font->sizeText();
    m_preview->SetFontName(m_faceName, false);
    m_preview->SetFontHeight(m_size);
}

void CEditAnnotationDialog::OnMakeDefault()
{
    UpdateData(true);
    DialogFont font{m_font->face(), m_font->size()};
    m_owner.setAnnotationDefaults(font, m_swatch->GetBackColor());
}
