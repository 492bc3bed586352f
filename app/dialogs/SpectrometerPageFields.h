#pragma once

#include <QLineEdit>

#include <functional>
#include <string>

// The spectrometer pages' number edits: shown with a printf format in the "C" locale, read
// back as atof reads them on every change of the text the user makes, and shown again in the
// format when the user leaves the box. GUI thread only.
class SpectrometerNumberEdit : public QLineEdit
{
public:
    SpectrometerNumberEdit(QWidget* parent, unsigned id, const char* format,
                           std::function<void(double)> changed);

    // Shows a value without calling the change handler.
    void display(double value);

private:
    const char* m_format;
    bool m_filling = false;
};
