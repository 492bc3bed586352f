#pragma once

#include <QObject>

#include <functional>
#include <string>

class COXFontComboBox;
class QComboBox;
class QWidget;

namespace app::dialogs {

// The face and size controls of the chart dialogs: a font combo box and an editable size
// combo ("8" to "46"). The size is the leading integer of the box's text (0 when there is
// none, which the chart takes as its default height). The face is the selected face, or,
// while nothing is selected (the face given is not installed), the face the fields were
// shown with, so that a font step never stores an empty face over a set one. Each change
// by the user calls changed(). GUI thread only.
class ChartFontFields : public QObject
{
public:
    ChartFontFields(QWidget* dialog, unsigned faceId, unsigned sizeId);

    COXFontComboBox* faceBox() const { return m_face; }
    QComboBox* sizeBox() const { return m_size; }

    // Selects the face (none when it is not listed) and writes the size as "%d".
    void show(const std::string& face, int size);
    std::string face() const;
    int size() const;
    // The face and size controls' text as the dialog data hold it.
    std::string sizeText() const;

    // Called after the user picked a face, typed a size or picked one.
    void onChanged(std::function<void()> changed) { m_changed = std::move(changed); }

private:
    COXFontComboBox* m_face;
    QComboBox* m_size;
    std::string m_givenFace;
    std::function<void()> m_changed;
    bool m_filling = false;
};

} // namespace app::dialogs
