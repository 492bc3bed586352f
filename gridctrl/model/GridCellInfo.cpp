#include "gridctrl/model/GridCellInfo.h"

#include "gridctrl/model/GridSystem.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <system_error>

namespace gridctrl::model {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view skipSpace(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) {
        ++i;
    }
    return text.substr(i);
}

// Reads a leading decimal number the way strtod does (leading blanks, a sign, digits,
// exponent, "inf", "nan"), but without the process's locale: "." and the user's decimal
// separator both count as the decimal point. 0.0 when nothing is read.
double readDouble(std::string_view text, std::string_view userSeparator)
{
    text = skipSpace(text);
    std::string normal;
    normal.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (userSeparator != "." && !userSeparator.empty() &&
            text.substr(i, userSeparator.size()) == userSeparator) {
            normal.push_back('.');
            i += userSeparator.size();
        } else {
            normal.push_back(text[i]);
            ++i;
        }
    }
    const char* first = normal.data();
    const char* last = first + normal.size();
    bool negate = false;
    if (first != last && (*first == '+' || *first == '-')) {
        negate = *first == '-';
        ++first;
    }
    if (first != last && (*first == '+' || *first == '-')) {
        return 0.0;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (end == first) {
        return 0.0;
    }
    if (error == std::errc::result_out_of_range) {
        // strtod answers HUGE_VAL for overflow and 0 for underflow; tell them apart by the
        // exponent's sign.
        const std::string_view digits(first, static_cast<std::size_t>(end - first));
        const std::size_t e = digits.find_first_of("eE");
        const bool tiny =
            e != std::string_view::npos && e + 1 < digits.size() && digits[e + 1] == '-';
        value = tiny ? 0.0 : HUGE_VAL;
    }
    return negate ? -value : value;
}

// Reads a leading integer the way atol does, saturating instead of overflowing.
long readLong(std::string_view text)
{
    text = skipSpace(text);
    const char* first = text.data();
    const char* last = first + text.size();
    bool negative = false;
    if (first != last && (*first == '+' || *first == '-')) {
        negative = *first == '-';
        ++first;
    }
    unsigned long magnitude = 0;
    const auto [end, error] = std::from_chars(first, last, magnitude);
    if (end == first) {
        return 0;
    }
    if (error == std::errc::result_out_of_range) {
        return negative ? LONG_MIN : LONG_MAX;
    }
    if (negative) {
        return magnitude > static_cast<unsigned long>(LONG_MAX) + 1ul
                   ? LONG_MIN
                   : static_cast<long>(0ul - magnitude);
    }
    return magnitude > static_cast<unsigned long>(LONG_MAX) ? LONG_MAX
                                                            : static_cast<long>(magnitude);
}

// Formats like printf's "%.<precision>lf" or "%.<precision>le" in the "C" locale.
std::string formatNumber(double value, int precision, bool exponential)
{
    const auto format = exponential ? std::chars_format::scientific : std::chars_format::fixed;
    // Most numbers fit a buffer on the stack, which spares a heap block per number.
    char buffer[64];
    const auto [stop, failed] =
        std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    if (failed == std::errc()) {
        return std::string(buffer, stop);
    }
    std::string out(128, '\0');
    for (;;) {
        const auto [end, error] =
            std::to_chars(out.data(), out.data() + out.size(), value, format, precision);
        if (error == std::errc()) {
            out.resize(static_cast<std::size_t>(end - out.data()));
            return out;
        }
        out.resize(out.size() * 2);
    }
}

// Removes the time-zone fields ("t") from a Qt time format, keeping quoted text.
QString withoutTimeZone(const QString& format)
{
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        }
        if (!quoted && c == QLatin1Char('t')) {
            continue;
        }
        out.append(c);
    }
    return out.trimmed();
}

// The user's short date format with a four-digit year, so that a date read back keeps its
// century.
QString userDateFormat(const QLocale& locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy"))) {
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    }
    return format;
}

// The user's time format with seconds and without a time zone.
QString userTimeFormat(const QLocale& locale)
{
    return withoutTimeZone(locale.timeFormat(QLocale::LongFormat));
}

bool inOleRange(const QDate& date)
{
    return date.isValid() && date.year() >= 100 && date.year() <= 9999;
}

} // namespace

CGridCellInfo::CGridCellInfo()
{
    const std::string& separator = userDecimalSeparator();
    const std::size_t length = std::min(separator.size(), sizeof m_decimalSeparator - 1);
    std::memcpy(m_decimalSeparator, separator.data(), length);
    m_decimalSeparator[length] = '\0';
    m_separatorDiffers = std::strcmp(m_decimalSeparator, ".") != 0 ? 1 : 0;
    ClearInfo();
}

CGridCellInfo::~CGridCellInfo() = default;

CGridCellInfo::CGridCellInfo(const CGridCellInfo& other)
{
    std::memcpy(m_decimalSeparator, other.m_decimalSeparator, sizeof m_decimalSeparator);
    m_separatorDiffers = other.m_separatorDiffers;
    ClearInfo();
    CopyInfoFrom(other);
}

CGridCellInfo& CGridCellInfo::operator=(const CGridCellInfo& other)
{
    CopyInfoFrom(other);
    return *this;
}

void CGridCellInfo::ClearInfo()
{
    m_mask = 0;
    m_text.clear();
    m_label.clear();
    m_value = 0.0;
    m_param = -1;
    m_cellType = -1;
    m_cellTypeEx = -1;
    m_joinOrigin = -1;
    m_joinColOffset = -1;
    m_joinRowOffset = -1;
    FreeExtraData();
}

void CGridCellInfo::SetDefaults()
{
    m_mask = kDefaultProperties;
    m_text.clear();
    m_inputMask.clear();
    m_label.clear();
    m_value = 0.0;
    m_evaluator = nullptr;
    m_styleCell = nullptr;
    const GridSystem& system = gridSystem();
    m_textColor = system.sysColor(kColorWindowText);
    m_backColor = system.sysColor(kColorWindow);
    m_hTextColor = system.sysColor(kColorHighlightText);
    m_hBackColor = system.sysColor(kColorHighlight);
    m_alignment = 0;
}

void CGridCellInfo::AddInfoTo(CGridCellInfo& target) const
{
    target.AddInfoFrom(*this);
}

void CGridCellInfo::copyExtraDataFrom(const CGridCellInfo& source)
{
    FreeExtraData();
    if (!source.m_extraData) {
        return;
    }
    try {
        m_extraData.reset(new unsigned char[source.m_extraDataSize]);
        std::memcpy(m_extraData.get(), source.m_extraData.get(), source.m_extraDataSize);
        m_extraDataSize = source.m_extraDataSize;
        m_mask |= kPropExtraData;
    } catch (const std::bad_alloc&) {
        // The merge goes on without the block.
        m_extraData.reset();
        m_extraDataSize = 0;
    }
}

void CGridCellInfo::AddInfoFrom(const CGridCellInfo& source)
{
    if (&source == this) {
        return; // merging a cell into itself changes nothing (and must not free its block)
    }
    const std::uint32_t bits = source.m_mask;
    m_mask |= bits;
    if (bits & kPropText) {
        m_text = source.m_text;
    }
    if (bits & kPropMask) {
        m_inputMask = source.m_inputMask;
    }
    if (bits & kPropLabel) {
        m_label = source.m_label;
    }
    if (bits & kPropEvaluator) {
        m_evaluator = source.m_evaluator;
    }
    if (bits & kPropStyleCell) {
        m_styleCell = source.m_styleCell;
    }
    if (bits & kPropFormat) {
        m_format = source.m_format;
    }
    if (bits & kPropParam) {
        m_param = source.m_param;
    }
    if (bits & kPropCellType) {
        m_cellType = source.m_cellType;
    }
    if (bits & kPropCellTypeEx) {
        m_cellTypeEx = source.m_cellTypeEx;
    }
    if (bits & kPropTextColor) {
        m_textColor = source.m_textColor;
    }
    if (bits & kPropBackColor) {
        m_backColor = source.m_backColor;
    }
    if (bits & kPropHTextColor) {
        m_hTextColor = source.m_hTextColor;
    }
    if (bits & kPropHBackColor) {
        m_hBackColor = source.m_hBackColor;
    }
    if (bits & kPropBorder) {
        m_border = source.m_border;
    }
    if (bits & kPropBorderColor) {
        m_borderPen = source.m_borderPen;
    }
    if (bits & kPropFont) {
        m_font = source.m_font;
    }
    if (bits & kPropBitmap) {
        m_bitmap = source.m_bitmap;
    }
    if (bits & kPropAlignment) {
        m_alignment = source.m_alignment;
    }
    if (bits & kPropExtraData) {
        copyExtraDataFrom(source);
    }
    if (bits & kPropJoin) {
        m_joinOrigin = source.m_joinOrigin;
        m_joinColOffset = source.m_joinColOffset;
        m_joinRowOffset = source.m_joinRowOffset;
    }
    if (bits & kPropPrecision) {
        m_precision = source.m_precision;
    }
    if (bits & kPropReadOnly) {
        m_readOnly = source.m_readOnly;
    }
    if (bits & kPropValue) {
        m_value = source.m_value;
    }
}

void CGridCellInfo::addPlainInfo(std::uint32_t mask, std::string_view text, unsigned short format,
                                 int precision, double value)
{
    const std::uint32_t bits = mask & kPlainProperties;
    m_mask |= bits;
    if (bits & kPropText) {
        m_text.assign(text);
    }
    if (bits & kPropFormat) {
        m_format = format;
    }
    if (bits & kPropPrecision) {
        m_precision = precision;
    }
    if (bits & kPropValue) {
        m_value = value;
    }
}

void CGridCellInfo::CopyInfoTo(CGridCellInfo& target) const
{
    target.CopyInfoFrom(*this);
}

void CGridCellInfo::CopyInfoFrom(const CGridCellInfo& source)
{
    if (&source == this) {
        return;
    }
    m_mask = source.m_mask;
    if (!(source.m_mask & kPropExtraData)) {
        FreeExtraData(); // no stale block outlives the property
    }
    AddInfoFrom(source);
}

void CGridCellInfo::SetText(std::string_view text)
{
    m_text.assign(text);
    m_format = kFormatText;
    m_mask |= kPropText | kPropFormat;
    m_mask &= ~kPropValue; // the text no longer shows a stored value
}

void CGridCellInfo::AppendText(std::string_view text)
{
    if (!(m_mask & kPropText)) {
        m_text.clear();
    }
    m_text.append(text);
    m_format = kFormatText;
    m_mask |= kPropText | kPropFormat;
    m_mask &= ~kPropValue;
}

int CGridCellInfo::GetText(std::string& text) const
{
    if (!(m_mask & kPropText)) {
        return 1;
    }
    text = m_text;
    return 0;
}

const char* CGridCellInfo::GetTextPtr() const
{
    return (m_mask & kPropText) ? m_text.c_str() : nullptr;
}

int CGridCellInfo::GetTextLength() const
{
    return (m_mask & kPropText) ? static_cast<int>(std::min<std::size_t>(m_text.size(), INT_MAX))
                                : 0;
}

void CGridCellInfo::SetMask(std::string_view mask)
{
    m_inputMask.assign(mask);
    m_mask |= kPropMask;
}

int CGridCellInfo::GetMask(std::string& mask) const
{
    if (!(m_mask & kPropMask)) {
        return 1;
    }
    mask = m_inputMask;
    return 0;
}

const char* CGridCellInfo::GetMaskPtr() const
{
    return (m_mask & kPropMask) ? m_inputMask.c_str() : nullptr;
}

void CGridCellInfo::SetLabel(std::string_view label)
{
    m_label.assign(label);
    m_mask |= kPropLabel;
}

int CGridCellInfo::GetLabel(std::string& label) const
{
    if (!(m_mask & kPropLabel)) {
        return 1;
    }
    label = m_label;
    return 0;
}

const char* CGridCellInfo::GetLabelPtr() const
{
    return (m_mask & kPropLabel) ? m_label.c_str() : nullptr;
}

void CGridCellInfo::SetBool(int flag)
{
    m_text.assign(1, flag != 0 ? '1' : '0');
    m_format = kFormatBool;
    m_mask |= kPropText | kPropFormat;
    m_mask &= ~kPropValue;
}

int CGridCellInfo::GetBool() const
{
    if (!(m_mask & kPropText) || m_text.empty()) {
        return 0;
    }
    if (m_text[0] == 'T' || m_text[0] == 't') {
        return 1;
    }
    return readLong(m_text) != 0 ? 1 : 0;
}

void CGridCellInfo::SetNumber(double value)
{
    m_value = value;
    const bool exponential = (m_mask & kPropExponential) != 0;
    // Without a precision (or with a negative one, which no format can hold) printf's
    // default of six decimals applies.
    const int precision = (m_mask & kPropPrecision) && m_precision >= 0 ? m_precision : 6;
    std::string text = formatNumber(value, precision, exponential);
    if (m_separatorDiffers) {
        std::string replaced;
        replaced.reserve(text.size() + 4);
        for (char c : text) {
            if (c == '.') {
                replaced.append(m_decimalSeparator);
            } else {
                replaced.push_back(c);
            }
        }
        text = std::move(replaced);
    }
    m_text = std::move(text);
    m_format = kFormatNumber;
    m_mask |= kPropText | kPropFormat | kPropValue;
}

double CGridCellInfo::GetNumber() const
{
    if (m_mask & kPropValue) {
        return m_value;
    }
    if (!(m_mask & kPropText) || m_text.empty()) {
        return 0.0;
    }
    return readDouble(m_text, m_decimalSeparator);
}

int CGridCellInfo::GetNumber(int& value) const
{
    if (!(m_mask & kPropText)) {
        return 1;
    }
    const long wide = readLong(m_text);
    value = static_cast<int>(std::clamp<long>(wide, INT_MIN, INT_MAX));
    return 0;
}

int CGridCellInfo::GetNumber(long& value) const
{
    if (!(m_mask & kPropText)) {
        return 1;
    }
    value = readLong(m_text);
    return 0;
}

int CGridCellInfo::GetNumber(float& value) const
{
    if (!(m_mask & kPropText)) {
        return 1;
    }
    value = static_cast<float>(readDouble(m_text, m_decimalSeparator));
    return 0;
}

int CGridCellInfo::GetNumber(double& value) const
{
    if (!(m_mask & kPropText)) {
        return 1;
    }
    value = readDouble(m_text, m_decimalSeparator);
    return 0;
}

void CGridCellInfo::SetPrecision(int decimals)
{
    m_precision = decimals;
    m_mask |= kPropPrecision;
}

int CGridCellInfo::GetPrecision() const
{
    return (m_mask & kPropPrecision) ? m_precision : 0;
}

void CGridCellInfo::SetExponentialFormat(int flag)
{
    if (flag != 0) {
        m_mask |= kPropExponential;
    } else {
        m_mask &= ~kPropExponential;
    }
}

int CGridCellInfo::GetExponentialFormat() const
{
    return (m_mask & kPropExponential) ? 1 : 0;
}

int CGridCellInfo::SetDateTime(int second, int minute, int hour, int day, int month, int year)
{
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!inOleRange(date) || !time.isValid()) {
        return 1;
    }
    const QLocale locale = gridSystem().userLocale();
    QString text = locale.toString(date, userDateFormat(locale));
    // Midnight is written as the date alone, as the system's date formatting does.
    if (time != QTime(0, 0)) {
        text += QLatin1Char(' ') + locale.toString(time, userTimeFormat(locale));
    }
    m_text = text.toStdString();
    m_format = kFormatDateTime;
    m_mask |= kPropText | kPropFormat;
    m_mask &= ~kPropValue;
    return 0;
}

int CGridCellInfo::GetDateTime(int& second, int& minute, int& hour, int& day, int& month,
                               int& year) const
{
    if (!(m_mask & kPropText) || m_text.empty()) {
        return 1;
    }
    const QLocale locale = gridSystem().userLocale();
    const QString text = QString::fromStdString(m_text).trimmed();
    const QString dateFormats[] = {userDateFormat(locale), locale.dateFormat(QLocale::ShortFormat),
                                   locale.dateFormat(QLocale::LongFormat),
                                   QStringLiteral("yyyy-MM-dd")};
    const QString timeFormats[] = {userTimeFormat(locale),
                                   withoutTimeZone(locale.timeFormat(QLocale::ShortFormat)),
                                   QStringLiteral("HH:mm:ss"), QStringLiteral("HH:mm")};
    auto accept = [&](const QDate& date, const QTime& time) {
        second = time.second();
        minute = time.minute();
        hour = time.hour();
        day = date.day();
        month = date.month();
        year = date.year();
        return 0;
    };
    for (const QString& dateFormat : dateFormats) {
        const QDate date = locale.toDate(text, dateFormat);
        if (inOleRange(date)) {
            return accept(date, QTime(0, 0));
        }
    }
    // Date and time: try every blank as the place where the time begins (some date formats
    // contain blanks themselves).
    for (qsizetype blank = text.indexOf(QLatin1Char(' ')); blank > 0;
         blank = text.indexOf(QLatin1Char(' '), blank + 1)) {
        const QString datePart = text.left(blank).trimmed();
        const QString timePart = text.mid(blank + 1).trimmed();
        for (const QString& dateFormat : dateFormats) {
            const QDate date = locale.toDate(datePart, dateFormat);
            if (!inOleRange(date)) {
                continue;
            }
            for (const QString& timeFormat : timeFormats) {
                const QTime time = locale.toTime(timePart, timeFormat);
                if (time.isValid()) {
                    return accept(date, time);
                }
            }
        }
    }
    return 1;
}

void CGridCellInfo::SetFormat(unsigned short code)
{
    m_format = code;
    m_mask |= kPropFormat;
}

unsigned short CGridCellInfo::GetFormat() const
{
    return (m_mask & kPropFormat) ? m_format : kFormatText;
}

void CGridCellInfo::SetTextColor(COLORREF colour)
{
    m_textColor = colour;
    m_mask |= kPropTextColor;
}

COLORREF CGridCellInfo::GetTextColor() const
{
    return (m_mask & kPropTextColor) ? m_textColor : gridSystem().sysColor(kColorWindowText);
}

void CGridCellInfo::SetBackColor(COLORREF colour)
{
    m_backColor = colour;
    m_mask |= kPropBackColor;
}

COLORREF CGridCellInfo::GetBackColor() const
{
    return (m_mask & kPropBackColor) ? m_backColor : gridSystem().sysColor(kColorWindow);
}

void CGridCellInfo::SetHTextColor(COLORREF colour)
{
    m_hTextColor = colour;
    m_mask |= kPropHTextColor;
}

COLORREF CGridCellInfo::GetHTextColor() const
{
    return (m_mask & kPropHTextColor) ? m_hTextColor : gridSystem().sysColor(kColorHighlightText);
}

void CGridCellInfo::SetHBackColor(COLORREF colour)
{
    m_hBackColor = colour;
    m_mask |= kPropHBackColor;
}

COLORREF CGridCellInfo::GetHBackColor() const
{
    return (m_mask & kPropHBackColor) ? m_hBackColor : gridSystem().sysColor(kColorHighlight);
}

void CGridCellInfo::SetBorder(unsigned short sides)
{
    m_border = sides;
    m_mask |= kPropBorder;
}

unsigned short CGridCellInfo::GetBorder() const
{
    return (m_mask & kPropBorder) ? m_border : 0;
}

void CGridCellInfo::SetBorderColor(GridPen* pen)
{
    m_borderPen = pen;
    m_mask |= kPropBorderColor;
}

GridPen* CGridCellInfo::GetBorderColor() const
{
    return (m_mask & kPropBorderColor) ? m_borderPen : nullptr;
}

void CGridCellInfo::SetFont(GridObject* font)
{
    m_font = font;
    m_mask |= kPropFont;
}

GridObject* CGridCellInfo::GetFont() const
{
    return (m_mask & kPropFont) ? m_font : nullptr;
}

void CGridCellInfo::SetAlignment(unsigned short flags)
{
    m_alignment = flags;
    m_mask |= kPropAlignment;
}

unsigned short CGridCellInfo::GetAlignment() const
{
    return (m_mask & kPropAlignment) ? m_alignment : 0;
}

void CGridCellInfo::SetReadOnly(int flag)
{
    m_readOnly = flag != 0 ? 1 : 0;
    m_mask |= kPropReadOnly;
}

int CGridCellInfo::GetReadOnly() const
{
    return (m_mask & kPropReadOnly) ? m_readOnly : 0;
}

void CGridCellInfo::SetCellType(int index)
{
    m_cellType = index;
    m_mask |= kPropCellType;
}

int CGridCellInfo::GetCellType() const
{
    return (m_mask & kPropCellType) ? m_cellType : 0;
}

void CGridCellInfo::SetCellTypeEx(int param)
{
    m_cellTypeEx = param;
    m_mask |= kPropCellTypeEx;
}

int CGridCellInfo::GetCellTypeEx() const
{
    return (m_mask & kPropCellTypeEx) ? m_cellTypeEx : 0;
}

int CGridCellInfo::GetParam() const
{
    return (m_mask & kPropParam) ? m_param : 0;
}

void CGridCellInfo::SetStyleCell(CGridCellInfo* cell)
{
    m_styleCell = cell;
    m_mask |= kPropStyleCell;
}

CGridCellInfo* CGridCellInfo::GetStyleCell() const
{
    return (m_mask & kPropStyleCell) ? m_styleCell : nullptr;
}

void CGridCellInfo::SetEvaluator(CGridCellEvaluator* evaluator)
{
    m_evaluator = evaluator;
    m_mask |= kPropEvaluator;
}

CGridCellEvaluator* CGridCellInfo::GetEvaluator() const
{
    return (m_mask & kPropEvaluator) ? m_evaluator : nullptr;
}

void CGridCellInfo::SetBitmap(GridObject* bitmap)
{
    m_bitmap = bitmap;
    if (bitmap) {
        m_mask |= kPropBitmap;
    } else {
        m_mask &= ~kPropBitmap;
    }
}

GridObject* CGridCellInfo::GetBitmap() const
{
    return (m_mask & kPropBitmap) ? m_bitmap : nullptr;
}

void CGridCellInfo::SetJoin(int originFlag, int colOffset, int rowOffset)
{
    m_joinOrigin = originFlag;
    m_joinColOffset = colOffset;
    m_joinRowOffset = rowOffset;
    m_mask |= kPropJoin;
}

int CGridCellInfo::GetJoin(int& originFlag, int& colOffset, int& rowOffset) const
{
    if (!(m_mask & kPropJoin)) {
        return 1;
    }
    originFlag = m_joinOrigin;
    colOffset = m_joinColOffset;
    rowOffset = m_joinRowOffset;
    return 0;
}

void* CGridCellInfo::AllocExtraData(std::size_t size)
{
    FreeExtraData();
    try {
        // At least one byte, so that a block of size 0 is still a block.
        m_extraData.reset(new unsigned char[std::max<std::size_t>(size, 1)]());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    m_extraDataSize = size;
    m_mask |= kPropExtraData;
    return m_extraData.get();
}

void CGridCellInfo::FreeExtraData()
{
    m_extraData.reset();
    m_extraDataSize = 0;
    m_mask &= ~kPropExtraData;
}

void* CGridCellInfo::GetExtraData() const
{
    return (m_mask & kPropExtraData) ? m_extraData.get() : nullptr;
}

bool textToBool(std::string_view text)
{
    if (text.empty()) {
        return true;
    }
    return !(text[0] == '0' || text[0] == 'F' || text[0] == 'f');
}

int oleDateToDateTime(double oleDate, int& second, int& minute, int& hour, int& day, int& month,
                      int& year)
{
    // The range of dates the automation date type holds: years 100 to 9999.
    constexpr double kMinDate = -657434.0;
    constexpr double kMaxDate = 2958465.999995;
    if (!std::isfinite(oleDate) || oleDate < kMinDate || oleDate > kMaxDate) {
        return 1;
    }
    // The whole part counts days from 30 December 1899; the fraction is the time of day
    // even for negative dates (-1.25 is 29 December 1899, 06:00).
    const double whole = std::trunc(oleDate);
    const double fraction = std::fabs(oleDate - whole);
    long long days = static_cast<long long>(whole);
    long long seconds = std::llround(fraction * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += oleDate < 0 ? -1 : 1;
    }
    constexpr qint64 kJulianDayOf18991230 = 2415019;
    const QDate date = QDate::fromJulianDay(kJulianDayOf18991230 + days);
    if (!inOleRange(date)) {
        return 1;
    }
    second = static_cast<int>(seconds % 60);
    minute = static_cast<int>((seconds / 60) % 60);
    hour = static_cast<int>(seconds / 3600);
    day = date.day();
    month = date.month();
    year = date.year();
    return 0;
}

} // namespace gridctrl::model
