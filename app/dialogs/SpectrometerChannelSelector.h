#pragma once

#include <QGroupBox>

#include <functional>

class QRadioButton;

// The "Spectrometer Channel" group of the Wavelength, Stray Light and Detector Linearity
// pages: eight radio buttons "Master", "Slave 1" ... "Slave 7" (ids 1338, 1141, 1345, 1349,
// 1353, 1357, 1361, 1365). A click calls the handler with the channel. GUI thread only.
class SpectrometerChannelSelector : public QGroupBox
{
public:
    SpectrometerChannelSelector(QWidget* parent, std::function<void(int)> chosen);

    // Checks a channel's button without calling the handler.
    void check(int channel);

private:
    QRadioButton* m_buttons[8];
};
