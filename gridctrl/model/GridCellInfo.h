#pragma once

#include "gridctrl/model/GridColor.h"
#include "gridctrl/model/GridObject.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace gridctrl::model {

// Computes a cell when the control reads it; defined by the control.
class CGridCellEvaluator;

// One cell's content and look as a property bag: every property has a bit in the property
// mask, a setter sets the bit and a getter answers the stored value only while the bit is
// set, otherwise a fixed default. Cells are values that travel between the control, its data
// sources and its cell types. Strings and the extra-data block are owned; the evaluator, the
// style cell, the pen, the font and the bitmap are borrowed. GUI thread only.
class CGridCellInfo
{
public:
    // Property bits.
    static constexpr std::uint32_t kPropText = 0x1;
    static constexpr std::uint32_t kPropMask = 0x2;
    static constexpr std::uint32_t kPropLabel = 0x4;
    static constexpr std::uint32_t kPropFormat = 0x8;
    static constexpr std::uint32_t kPropParam = 0x10;
    static constexpr std::uint32_t kPropCellType = 0x20;
    static constexpr std::uint32_t kPropCellTypeEx = 0x40;
    static constexpr std::uint32_t kPropTextColor = 0x80;
    static constexpr std::uint32_t kPropBackColor = 0x100;
    static constexpr std::uint32_t kPropHTextColor = 0x200;
    static constexpr std::uint32_t kPropHBackColor = 0x400;
    static constexpr std::uint32_t kPropBorder = 0x800;
    static constexpr std::uint32_t kPropBorderColor = 0x1000;
    static constexpr std::uint32_t kPropFont = 0x2000;
    static constexpr std::uint32_t kPropBitmap = 0x4000;
    static constexpr std::uint32_t kPropAlignment = 0x8000;
    static constexpr std::uint32_t kPropExtraData = 0x10000;
    static constexpr std::uint32_t kPropJoin = 0x20000;
    static constexpr std::uint32_t kPropEvaluator = 0x200000;
    static constexpr std::uint32_t kPropStyleCell = 0x800000;
    static constexpr std::uint32_t kPropReadOnly = 0x1000000;
    static constexpr std::uint32_t kPropPrecision = 0x2000000;
    static constexpr std::uint32_t kPropExponential = 0x40000000;
    static constexpr std::uint32_t kPropValue = 0x80000000;
    // The properties SetDefaults leaves set.
    static constexpr std::uint32_t kDefaultProperties = 0x8787;

    // Format codes: how a cell is shown, sorted and written to CSV files.
    static constexpr unsigned short kFormatText = 1;
    static constexpr unsigned short kFormatNumber = 2;
    static constexpr unsigned short kFormatBool = 3;
    static constexpr unsigned short kFormatDateTime = 4;
    static constexpr unsigned short kFormatNumeric = 5;

    CGridCellInfo();
    ~CGridCellInfo();
    // A copy shows exactly the source's properties.
    CGridCellInfo(const CGridCellInfo& other);
    CGridCellInfo& operator=(const CGridCellInfo& other);
    CGridCellInfo(CGridCellInfo&&) noexcept = default;
    CGridCellInfo& operator=(CGridCellInfo&&) noexcept = default;

    // Life and copies.
    void ClearInfo();
    void SetDefaults();
    // Merge: the target gains every property set here; fields set here overwrite its own.
    void AddInfoTo(CGridCellInfo& target) const;
    void AddInfoFrom(const CGridCellInfo& source);
    // Copy: the target afterwards shows exactly the properties set here.
    void CopyInfoTo(CGridCellInfo& target) const;
    void CopyInfoFrom(const CGridCellInfo& source);
    void SetPropertyFlags(std::uint32_t mask) { m_mask = mask; }
    std::uint32_t GetPropertyFlags() const { return m_mask; }
    // 1 when any of `bits` is set.
    int HasProperty(std::uint32_t bits) const { return (m_mask & bits) != 0 ? 1 : 0; }
    // Clears the bits; the fields keep their values but are no longer valid.
    void ClearProperty(std::uint32_t bits) { m_mask &= ~bits; }

    // Text, label and input mask. Getters taking a string return 1 when missing.
    void SetText(std::string_view text);
    void AppendText(std::string_view text);
    int GetText(std::string& text) const;
    const char* GetTextPtr() const;
    int GetTextLength() const;
    void SetMask(std::string_view mask);
    int GetMask(std::string& mask) const;
    const char* GetMaskPtr() const;
    void SetLabel(std::string_view label);
    int GetLabel(std::string& label) const;
    const char* GetLabelPtr() const;

    // Values.
    void SetBool(int flag);
    int GetBool() const;
    // Stores the value and its text, formatted with the precision and exponential settings
    // the cell holds now and the user's decimal separator.
    void SetNumber(double value);
    // The stored value, else the text read as a number (0.0 without text).
    double GetNumber() const;
    // The text read as a number; 1 when there is no text. Numbers are read with the user's
    // decimal separator as well as ".".
    int GetNumber(int& value) const;
    int GetNumber(long& value) const;
    int GetNumber(float& value) const;
    int GetNumber(double& value) const;
    void SetPrecision(int decimals);
    int GetPrecision() const;
    void SetExponentialFormat(int flag);
    int GetExponentialFormat() const;
    // Stores the date and time as text in the user's locale; 1 (cell unchanged) when the
    // numbers do not make a date between the years 100 and 9999 and a time of day.
    int SetDateTime(int second, int minute, int hour, int day, int month, int year);
    // Reads the text back as a date and time; 1 when there is no text or it does not parse.
    int GetDateTime(int& second, int& minute, int& hour, int& day, int& month, int& year) const;

    // Look.
    void SetFormat(unsigned short code);
    unsigned short GetFormat() const;
    void SetTextColor(COLORREF colour);
    COLORREF GetTextColor() const;
    void SetBackColor(COLORREF colour);
    COLORREF GetBackColor() const;
    void SetHTextColor(COLORREF colour);
    COLORREF GetHTextColor() const;
    void SetHBackColor(COLORREF colour);
    COLORREF GetHBackColor() const;
    void SetBorder(unsigned short sides);
    unsigned short GetBorder() const;
    void SetBorderColor(GridPen* pen);
    GridPen* GetBorderColor() const;
    void SetFont(GridObject* font);
    GridObject* GetFont() const;
    void SetAlignment(unsigned short flags);
    unsigned short GetAlignment() const;
    void SetReadOnly(int flag);
    int GetReadOnly() const;
    void SetCellType(int index);
    int GetCellType() const;
    void SetCellTypeEx(int param);
    int GetCellTypeEx() const;
    int GetParam() const;
    void SetStyleCell(CGridCellInfo* cell);
    CGridCellInfo* GetStyleCell() const;
    void SetEvaluator(CGridCellEvaluator* evaluator);
    CGridCellEvaluator* GetEvaluator() const;
    // A null bitmap clears the property.
    void SetBitmap(GridObject* bitmap);
    GridObject* GetBitmap() const;
    void SetJoin(int originFlag, int colOffset, int rowOffset);
    int GetJoin(int& originFlag, int& colOffset, int& rowOffset) const;

    // Extra data: an owned block of bytes. Null when the allocation fails.
    void* AllocExtraData(std::size_t size);
    void FreeExtraData();
    void* GetExtraData() const;
    std::size_t extraDataSize() const { return m_extraData ? m_extraDataSize : 0; }

    // The user's decimal separator read at construction (UTF-8).
    const char* decimalSeparator() const { return m_decimalSeparator; }

    // The properties of a plain cell: its text, format, value, precision and exponential
    // flag. Cell stores keep plain cells in a compact form of their own.
    static constexpr std::uint32_t kPlainProperties =
        kPropText | kPropFormat | kPropValue | kPropPrecision | kPropExponential;
    // True when no property outside the plain ones is set.
    bool isPlain() const { return (m_mask & ~kPlainProperties) == 0; }
    // The stored text whether or not its property is set (with embedded NULs).
    std::string_view textView() const { return m_text; }
    // Merges plain properties: the same as AddInfoFrom a cell whose property mask is `mask`
    // (plain bits only) and whose fields hold the other arguments.
    void addPlainInfo(std::uint32_t mask, std::string_view text, unsigned short format,
                      int precision, double value);

private:
    void copyExtraDataFrom(const CGridCellInfo& source);

    std::uint32_t m_mask = 0;
    CGridCellEvaluator* m_evaluator = nullptr;
    CGridCellInfo* m_styleCell = nullptr;
    std::string m_text;
    std::string m_inputMask;
    std::string m_label;
    char m_decimalSeparator[8] = {'.', 0};
    int m_separatorDiffers = 0;
    double m_value = 0.0;
    unsigned short m_format = kFormatText;
    int m_readOnly = 0;
    int m_param = 0;
    int m_precision = 0;
    int m_cellType = 0;
    int m_cellTypeEx = 0;
    COLORREF m_textColor = 0;
    COLORREF m_backColor = 0;
    COLORREF m_hTextColor = 0;
    COLORREF m_hBackColor = 0;
    unsigned short m_border = 0;
    GridPen* m_borderPen = nullptr;
    GridObject* m_font = nullptr;
    GridObject* m_bitmap = nullptr;
    unsigned short m_alignment = 0;
    std::unique_ptr<unsigned char[]> m_extraData;
    std::size_t m_extraDataSize = 0;
    int m_joinOrigin = -1;
    int m_joinColOffset = -1;
    int m_joinRowOffset = -1;
};

// Text to Boolean: false when the first character is "0", "F" or "f", true otherwise.
bool textToBool(std::string_view text);

// An automation date (days since 30 December 1899, the fraction the time of day) to its
// six numbers, rounded to the second; 1 when it is not a valid date.
int oleDateToDateTime(double oleDate, int& second, int& minute, int& hour, int& day, int& month,
                      int& year);

} // namespace gridctrl::model
