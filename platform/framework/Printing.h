#pragma once

#include "platform/framework/WinTypes.h"

class QPrinter;
class QWidget;

namespace platform::framework {

class View;

// What a print job knows: the page range, the current page, whether to go on and the page's
// drawing rectangle (device units). Pages are 1-based.
struct PrintInfo
{
    void SetMinPage(unsigned page) { m_minPage = page; }
    void SetMaxPage(unsigned page) { m_maxPage = page; }
    unsigned GetMinPage() const { return m_minPage; }
    unsigned GetMaxPage() const { return m_maxPage; }
    unsigned GetFromPage() const { return m_fromPage; }
    unsigned GetToPage() const { return m_toPage; }

    unsigned m_minPage = 1;
    unsigned m_maxPage = 0xFFFF;
    unsigned m_fromPage = 1;
    unsigned m_toPage = 0xFFFF;
    unsigned m_nCurPage = 1;
    bool m_bContinuePrinting = true;
    bool m_bPreview = false;
    bool m_bDirect = false; // print without the dialog
    RECT m_rectDraw;
    void* m_lpUserData = nullptr;
    QPrinter* printer = nullptr;
};

// The print dialog for a job (through the UI services), on info->printer; false when
// cancelled. Writes the chosen range into info.
bool doPreparePrinting(PrintInfo* info, QWidget* owner);

// Prints a view on a printer (to PDF when the printer's output file name is set): prepare
// (dialog unless direct), begin, for every page prepare the DC and print while the view wants
// to go on, end. Returns the number of pages printed; 0 when cancelled or nothing printed.
int printView(View* view, QPrinter& printer, bool direct = false);

// Shows the print preview of a view (the view's printing protocol drawn on the preview's
// pages).
void printPreview(View* view, QPrinter& printer);

} // namespace platform::framework
