#include "app/automation/I_GridFile.h"

#include "app/windows/HarluneGridView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneGridView;

const DispatchTable& I_GridFile::table()
{
    static const DispatchTable t = [] {
        using C = I_GridFile;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.method("SaveSheet", &C::SaveSheet, {"sheet", "Filename"})
            .method("SaveAllSheets", &C::SaveAllSheets, {"Filename"})
            .method("OpenSheet", &C::OpenSheet, {"sheet", "Filename"})
            .method("OpenAllSheets", &C::OpenAllSheets, {"Filename"})
            .method("OpenAllSheetsIntoNew", &C::OpenAllSheetsIntoNew, {"Filename"})
            .method("OpenSheetIntoNew", &C::OpenSheetIntoNew, {"Filename", "title"})
            .method("OpenSpectrumIntoNew", &C::OpenSpectrumIntoNew, {"Filename", "title"});
        return b.table();
    }();
    return t;
}

// The writers replace a file only once it is written whole; sheet 0 and negative sheets name
// none.

bool I_GridFile::SaveSheet(int32_t sheet, const std::string& filename)
{
    return onView(false, [&](View& v) {
        return sheet >= 1 && fitsPath(filename) && v.SaveSheet(sheet - 1, filename);
    });
}

bool I_GridFile::SaveAllSheets(const std::string& filename)
{
    return onView(false, [&](View& v) { return fitsPath(filename) && v.SaveAllSheets(filename); });
}

bool I_GridFile::OpenSheet(int32_t sheet, const std::string& filename)
{
    return onView(false, [&](View& v) {
        return sheet >= 1 && fitsPath(filename) && v.OpenSheet(sheet - 1, filename);
    });
}

bool I_GridFile::OpenAllSheets(const std::string& filename)
{
    return onView(false, [&](View& v) { return fitsPath(filename) && v.OpenAllSheets(filename); });
}

bool I_GridFile::OpenAllSheetsIntoNew(const std::string& filename)
{
    return onView(false,
                  [&](View& v) { return fitsPath(filename) && v.OpenAllSheetsIntoNew(filename); });
}

bool I_GridFile::OpenSheetIntoNew(const std::string& filename, const std::string& title)
{
    return onView(false, [&](View& v) {
        return fitsPath(filename) && v.OpenSheetIntoNew(filename, title.c_str());
    });
}

bool I_GridFile::OpenSpectrumIntoNew(const std::string& filename, const std::string& title)
{
    return onView(false, [&](View& v) {
        return fitsPath(filename) && v.OpenSpectrumIntoNew(filename, title.c_str());
    });
}
