#pragma once

#include "platform/chart/XrtTypes.h"

#include <QWidget>

// CColorPanel: a colour swatch. Its back colour (a COLORREF) is set and read by the dialogs
// that show a chosen colour; a click, or Space while it has the focus, emits Click. GUI
// thread only.

namespace platform::chart {

class CColorPanel : public QWidget
{
    Q_OBJECT

public:
    explicit CColorPanel(QWidget* parent = nullptr);

    void SetBackColor(XrtColor color);
    XrtColor GetBackColor() const { return m_color; }

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    XrtColor m_color = 0;
};

} // namespace platform::chart
