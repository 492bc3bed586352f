#include "app/dialogs/ChartFontFields.h"

#include "app/dialogs/DataExchange.h"
#include "app/dialogs/DataExchangeRules.h"
#include "app/dialogs/StyleLists.h"
#include "platform/framework/ControlIds.h"
#include "toolkit/widgets/COXFontComboBox.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>
#include <climits>

namespace app::dialogs {

ChartFontFields::ChartFontFields(QWidget* dialog, unsigned faceId, unsigned sizeId)
    : QObject(dialog), m_face(new COXFontComboBox(dialog)), m_size(new QComboBox(dialog))
{
    platform::framework::setControlId(m_face, faceId);
    platform::framework::setControlId(m_size, sizeId);
    m_size->setEditable(true);
    m_size->setInsertPolicy(QComboBox::NoInsert);
    fillComboBox(m_size, fontSizeNames());
    m_size->setCurrentIndex(-1);
    connect(m_face, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling && m_face->currentIndex() >= 0 && m_changed)
            m_changed();
    });
    // A size picked from the list also becomes the box's text: one handler serves both.
    connect(m_size, &QComboBox::editTextChanged, this, [this] {
        if (!m_filling && m_changed)
            m_changed();
    });
}

void ChartFontFields::show(const std::string& face, int size)
{
    m_filling = true;
    m_givenFace = face;
    m_face->SelectFontName(face);
    m_size->setCurrentIndex(-1);
    m_size->setEditText(QString::number(size));
    m_filling = false;
}

std::string ChartFontFields::face() const
{
    if (const auto selected = m_face->GetSelectedFont()) {
        std::string name = platform::qt::faceName(*selected);
        if (!name.empty())
            return name;
    }
    return m_givenFace;
}

int ChartFontFields::size() const
{
    return static_cast<int>(std::clamp<long long>(readInteger(sizeText()), INT_MIN, INT_MAX));
}

std::string ChartFontFields::sizeText() const
{
    return m_size->currentText().toStdString();
}

} // namespace app::dialogs
