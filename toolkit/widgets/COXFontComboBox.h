#pragma once

#include "platform/framework/CDC.h"
#include "platform/qt/LOGFONT.h"
#include "toolkit/widgets/COXFontListBox.h"

#include <QComboBox>

#include <optional>
#include <string>

class COXFontComboBox;

// The font list of a font combo box: asks the combo which faces to list.
class COXFontListBoxHelper : public COXFontListBox
{
public:
    explicit COXFontListBoxHelper(QWidget* parent = nullptr) : COXFontListBox(parent) {}
    void setComboBox(COXFontComboBox* combo) { m_pComboBox = combo; }
    // Refills keeping the selected index.
    bool Initialize() override;
    bool AcceptFont(const FontRecord& record) const override;

private:
    COXFontComboBox* m_pComboBox = nullptr;
};

// A combo box offering the installed fonts: its drop-down list shows each face in its own font
// with its type image and the recently-used faces on top, drawn by a font list box that holds the
// faces in the combo's order. A face chosen in the opened list moves into the recently-used block;
// selecting by name or font does not. GUI thread only.
class COXFontComboBox : public QComboBox
{
public:
    explicit COXFontComboBox(QWidget* parent = nullptr);

    // Fills the list and the combo (done by the constructor; again to refill).
    virtual bool Initialize();
    virtual bool AcceptFont(const COXFontListBox::FontRecord& record) const;
    COXFontListBoxHelper& GetListBox() { return m_listBox; }

    // The LOGFONT of the selected face; nothing when none is selected. While the face shown
    // stands in for a face that is not installed, the LOGFONT keeps the face asked for.
    std::optional<platform::qt::LOGFONT> GetSelectedFont() const;
    int SelectFont(const platform::framework::CFont& font);
    int SelectFont(const platform::qt::LOGFONT& logFont);
    // Selects the face whose whole name equals name (case ignored). A face that is not
    // installed shows the face the system draws it with (fontconfig's match) and stays the
    // face asked for until the user picks another. An empty name, or one with no listed
    // stand-in, leaves no selection and returns -1.
    int SelectFontName(const std::string& name);
    // The face asked for that the selection stands in for; empty when the selection is the
    // face itself.
    const std::string& standInFor() const { return m_standInFor; }
    void SetSaveMRU(bool save) { m_listBox.SetSaveMRU(save); }
    bool GetSaveMRU() const { return m_listBox.GetSaveMRU(); }

    // A choice in the opened list (what a user's click or Enter makes): the face moves into the
    // recently-used block when the block has room for one, and the selection follows it.
    void chooseFromList(int index);

private:
    void syncItems();

    COXFontListBoxHelper m_listBox;
    std::string m_standInFor;
    int m_standInIndex = -1;
};

// Dialog data exchange of a font combo box with a font: saving sets the font from the selected
// face (nothing selected leaves it as it was); loading selects the font's face. False when the
// control of that id is not a font combo box.
bool DDX_FontComboBox(bool saveAndValidate, QWidget* dialog, unsigned controlId,
                      platform::framework::CFont& font);
