#include "numerics/MatrixPrinter.h"

#include "numerics/ArgumentChecks.h"
#include "numerics/ErrorReporting.h"
#include "numerics/FormatChecker.h"
#include "numerics/FormatChooser.h"
#include "numerics/MachineConstants.h"
#include "numerics/NumberEditing.h"
#include "numerics/PrintOptions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace numerics {

namespace {

constexpr std::int32_t kMaxPageWidth = 255;
constexpr std::size_t kCellArea = 40;

enum class RowLabels
{
    None,
    Number,
    Text
};

// Column-label modes: 0 no headings, 1 numbered data columns, 2 all headings from the
// labels, 3 only the heading over the row labels, 4 that heading and numbered columns.
using ColumnMode = std::int32_t;

struct Column
{
    std::int32_t index = 0; // 1-based
    std::optional<EditDescriptor> descriptor;
    std::int32_t field = 0;
    std::int32_t width = 0;
    std::vector<std::string> heading;
};

std::int32_t option(std::int32_t k)
{
    std::int32_t value = 0;
    WROPT(k, value, 0);
    return value;
}

// Digits of n: trunc(log10(n + 0.01) + 1).
std::int32_t digitsOf(std::int32_t n)
{
    return static_cast<std::int32_t>(std::log10(static_cast<double>(n) + 0.01) + 1.0);
}

bool isKeyword(std::span<const std::string> labels, std::size_t i, std::string_view keyword)
{
    return i < labels.size() && STRCMP(labels[i], keyword) == 0;
}

std::string labelAt(std::span<const std::string> labels, std::size_t i)
{
    return i < labels.size() ? labels[i] : std::string();
}

std::string rightAligned(std::string_view text, std::int32_t width)
{
    const auto w = static_cast<std::size_t>(std::max(width, 0));
    if (text.size() >= w) {
        return std::string(text);
    }
    return std::string(w - text.size(), ' ') + std::string(text);
}

std::string leftAligned(std::string_view text, std::int32_t width)
{
    std::string result(text);
    if (result.size() < static_cast<std::size_t>(std::max(width, 0))) {
        result.resize(static_cast<std::size_t>(width), ' ');
    }
    return result;
}

std::string trimmedRight(std::string text)
{
    const std::size_t last = text.find_last_not_of(' ');
    text.resize(last == std::string::npos ? 0 : last + 1);
    return text;
}

// The text of one entry: the first f characters of its 40-character area.
std::string cellText(double x, const Column& column, bool selected, std::int32_t nanOption)
{
    const auto f = static_cast<std::size_t>(column.field);
    std::string area(kCellArea, ' ');
    auto endingAtField = [&](std::string_view word) {
        if (word.size() > f) {
            word = word.substr(word.size() - f);
        }
        area.replace(f - word.size(), word.size(), word);
    };
    if (!selected || !column.descriptor) {
        if (selected) {
            area.assign(kCellArea, '*');
        }
    } else if (ISNAND(x)) {
        if (nanOption == 0) {
            area.assign(kCellArea, '.');
        } else if (nanOption == 2) {
            endingAtField("NaN");
        }
    } else if (x == DMACH(7)) {
        if (nanOption <= 1) {
            area.assign(kCellArea, '+');
        } else {
            endingAtField("Inf");
        }
    } else if (x == DMACH(8)) {
        if (nanOption <= 1) {
            area.assign(kCellArea, '-');
        } else {
            endingAtField(f < 4 ? "Inf" : "-Inf");
        }
    } else if (column.descriptor->letter == 'I') {
        if (std::fabs(x) > static_cast<double>(IMACH(5))) {
            area.assign(kCellArea, '*');
        } else {
            area.replace(0, f, editInteger(static_cast<std::int64_t>(x), *column.descriptor));
        }
    } else {
        area.replace(0, f, editReal(x, *column.descriptor));
    }
    return area.substr(0, f);
}

class Printer
{
public:
    Printer(std::string_view title, std::int32_t nra, std::int32_t nca, const double* a,
            std::int32_t lda, std::int32_t itring, std::span<const std::string> rowlab,
            std::span<const std::string> collab)
        : m_title(title), m_nra(nra), m_nca(nca), m_a(a), m_lda(lda), m_itring(itring),
          m_rowlab(rowlab), m_collab(collab)
    {}

    // Options, label modes and widths; false after a posted error.
    bool setUp(std::int32_t largestField)
    {
        RoutineScope scope("WRSETU");
        PGOPT(1, m_pageWidth);
        PGOPT(2, m_pageLength);
        m_centreOnPage = option(1) == 1;
        m_maxRows = option(2);
        m_pageLines = option(3);
        m_nanOption = option(4);
        m_repeatTitle = option(5) == 1;
        m_gap = option(7);
        m_rowWidthOption = option(8);
        m_indent = option(9);
        m_rowWindow = option(10);
        m_columnWidthOption = option(11);
        m_columnWindow = option(12);
        m_titleWindow = option(13);
        m_labelLinesAlone = option(16) == 0;
        if (m_pageLines >= m_pageLength) {
            m_pageLines = 0;
        }
        if (m_rowWidthOption == 0) {
            m_rowWidthOption = m_pageWidth / 4;
        }
        if (m_rowWindow == 0) {
            m_rowWindow = m_rowWidthOption / 3;
        }

        if (isKeyword(m_rowlab, 0, "NONE") || m_rowlab.empty()) {
            m_rowLabels = RowLabels::None;
        } else if (isKeyword(m_rowlab, 0, "NUMBER")) {
            m_rowLabels = RowLabels::Number;
        } else {
            m_rowLabels = RowLabels::Text;
        }
        if (isKeyword(m_collab, 0, "NONE")) {
            m_columnMode = 0;
        } else if (isKeyword(m_collab, 0, "NUMBER")) {
            m_columnMode = 1;
        } else if (m_nca >= 1 && isKeyword(m_collab, 1, "NONE")) {
            m_columnMode = 3;
        } else if (m_nca >= 1 && isKeyword(m_collab, 1, "NUMBER")) {
            m_columnMode = 4;
        } else {
            m_columnMode = 2;
        }

        if (LENTRM(m_title) > 0) {
            m_titleLines = breakText(m_title, m_pageWidth, 0, m_titleWindow);
            for (const std::string& line : m_titleLines) {
                m_titleLongest = std::max(m_titleLongest, static_cast<std::int32_t>(line.size()));
            }
        }

        const std::int32_t f = std::max(largestField, 0);
        std::int32_t floor = f;
        if (m_columnMode == 1 || m_columnMode == 4) {
            floor = std::max(f, digitsOf(m_nca));
        } else if (m_columnMode == 2) {
            floor = std::max(f, headingWidth(f));
        }

        m_rowWidth = 0;
        if (m_rowLabels != RowLabels::None) {
            if (m_columnMode >= 2) {
                m_rowHeading = breakText(labelAt(m_collab, 0), m_rowWidthOption, 0, m_rowWindow);
                for (const std::string& line : m_rowHeading) {
                    m_rowWidth = std::max(m_rowWidth, static_cast<std::int32_t>(line.size()));
                }
            }
            if (m_rowLabels == RowLabels::Number) {
                m_rowWidth = std::max(m_rowWidth, digitsOf(std::max(m_nra, 1)));
            } else {
                for (std::int32_t i = 0; i < m_nra; ++i) {
                    for (const std::string& line : rowLabelLines(i + 1)) {
                        m_rowWidth = std::max(m_rowWidth, static_cast<std::int32_t>(line.size()));
                    }
                }
            }
        }

        const std::int32_t required = m_rowWidth + m_gap + floor + 4;
        if (m_pageWidth > kMaxPageWidth) {
            E1VALI(1, m_pageWidth);
            E1MES(kTerminal, 38,
                  "A page width of %(I1) was retrieved via QELM routine PGOPT.  The page width "
                  "must be reset to no greater than 255 by a call to PGOPT.");
            return false;
        }
        if (required > m_pageWidth) {
            E1VALI(1, m_pageWidth);
            E1VALI(2, required);
            if (f < 12) {
                E1MES(kTerminal, 37,
                      "A page width of %(I1) was retrieved via QELM routine PGOPT.  The page "
                      "width must be increased to at least %(I2) by a call to PGOPT.");
            } else {
                E1VALI(3, f);
                E1MES(kTerminal, 36,
                      "A page width of %(I1) was retrieved via QELM routine PGOPT.  The format "
                      "FMT contains a field width of %(I3).  Either the largest field width in "
                      "FMT must be decreased or the page width increased to at least %(I2) by a "
                      "call to PGOPT.");
            }
            return false;
        }
        return true;
    }

    // The column's format, field width, column width and heading lines.
    void addColumn(std::int32_t j, std::string_view format)
    {
        Column column;
        column.index = j;
        column.descriptor = parseEditDescriptor(format);
        column.field = column.descriptor ? std::min<std::int32_t>(column.descriptor->width, 40)
                                         : std::max(FMTWID(format), 1);
        column.width = column.field;
        if (m_columnMode == 1 || m_columnMode == 4) {
            column.width = std::max(column.field, digitsOf(j));
            column.heading = {std::to_string(j)};
        } else if (m_columnMode == 2) {
            const std::int32_t width = headingWidth(column.field);
            const std::int32_t window = m_columnWindow != 0 ? m_columnWindow : width / 3;
            column.heading =
                breakText(labelAt(m_collab, static_cast<std::size_t>(j)), width, 0, window);
            for (const std::string& line : column.heading) {
                column.width = std::max(column.width, static_cast<std::int32_t>(line.size()));
            }
        }
        m_columns.push_back(std::move(column));
    }

    void print()
    {
        const bool pageControl = m_pageLines != -2;
        std::int32_t used = 0;
        if (pageControl) {
            if (m_pageLines < 1) {
                WRLINE(-1, "");
            }
            used = std::max(m_pageLines, 0);
        }
        const std::vector<std::vector<std::size_t>> blocks = columnBlocks();
        bool titlePrinted = false;
        bool firstBlock = true;
        std::vector<std::vector<std::string>> rowLines;
        for (const std::vector<std::size_t>& block : blocks) {
            const std::vector<std::int32_t> rows = blockRows(block);
            if (rows.empty()) {
                continue;
            }
            const std::vector<std::string> headings = headingLines(block);
            rowLines.clear();
            std::int32_t blockWidth = 0;
            for (const std::string& line : headings) {
                blockWidth = std::max(blockWidth, static_cast<std::int32_t>(line.size()));
            }
            for (const std::int32_t i : rows) {
                rowLines.push_back(entryLines(block, i));
                for (const std::string& line : rowLines.back()) {
                    blockWidth = std::max(blockWidth, static_cast<std::int32_t>(line.size()));
                }
            }
            const std::int32_t middle =
                m_centreOnPage ? m_pageWidth / 2 : std::max(m_titleLongest, blockWidth) / 2;
            auto writeTitle = [&] {
                for (std::string line : m_titleLines) {
                    if (line.empty()) {
                        WRLINE(0, "");
                    } else {
                        CENTRE(middle, static_cast<std::int32_t>(line.size()), line);
                        WRLINE(static_cast<std::int32_t>(line.size()), line);
                    }
                }
                used += static_cast<std::int32_t>(m_titleLines.size());
                titlePrinted = true;
            };
            auto writeLines = [&](const std::vector<std::string>& lines) {
                for (const std::string& text : lines) {
                    std::string line = text;
                    CENTRE(middle, blockWidth, line);
                    line = trimmedRight(line);
                    WRLINE(static_cast<std::int32_t>(line.size()), line);
                }
                used += static_cast<std::int32_t>(lines.size());
            };
            if (!firstBlock) {
                if (pageControl) {
                    WRLINE(-1, "");
                    used = 0;
                    if (m_repeatTitle) {
                        writeTitle();
                    }
                } else {
                    WRLINE(0, "");
                }
            } else if (!titlePrinted) {
                writeTitle();
            }
            firstBlock = false;
            writeLines(headings);
            std::int32_t rowsOnPage = 0;
            for (const std::vector<std::string>& lines : rowLines) {
                const auto need = static_cast<std::int32_t>(lines.size());
                if (pageControl && rowsOnPage > 0 && used + need > m_pageLength) {
                    WRLINE(-1, "");
                    used = 0;
                    if (m_repeatTitle) {
                        writeTitle();
                    }
                    writeLines(headings);
                    rowsOnPage = 0;
                }
                writeLines(lines);
                ++rowsOnPage;
            }
        }
        if (!titlePrinted && !m_titleLines.empty()) {
            const std::int32_t middle = m_centreOnPage ? m_pageWidth / 2 : m_titleLongest / 2;
            for (std::string line : m_titleLines) {
                if (line.empty()) {
                    WRLINE(0, "");
                } else {
                    CENTRE(middle, static_cast<std::int32_t>(line.size()), line);
                    WRLINE(static_cast<std::int32_t>(line.size()), line);
                }
            }
        }
    }

private:
    // Width to which column headings are broken: option 11 (at least f), else 1.5 f
    // within 15..40.
    std::int32_t headingWidth(std::int32_t f) const
    {
        if (m_columnWidthOption != 0) {
            return std::max(m_columnWidthOption, f);
        }
        return std::max(std::clamp(f + f / 2, 15, 40), f);
    }

    std::vector<std::string> rowLabelLines(std::int32_t i) const
    {
        switch (m_rowLabels) {
        case RowLabels::None:
            return {std::string()};
        case RowLabels::Number:
            return {rightAligned(std::to_string(i), m_rowWidth)};
        case RowLabels::Text:
            break;
        }
        return breakText(labelAt(m_rowlab, static_cast<std::size_t>(i - 1)), m_rowWidthOption,
                         m_indent, m_rowWindow);
    }

    bool selected(std::int32_t i, std::int32_t j) const
    {
        std::int32_t first = 0;
        std::int32_t count = 0;
        TRIROW(m_itring, 1, m_nra, j, first, count);
        return i >= first && i < first + count;
    }

    // Indices into m_columns of each block: as many columns as fit the page width beside
    // the row labels, or all columns in one block when rows wrap (option 2 = 0).
    std::vector<std::vector<std::size_t>> columnBlocks() const
    {
        std::vector<std::vector<std::size_t>> blocks;
        std::vector<std::size_t> block;
        std::int32_t width = m_rowWidth;
        for (std::size_t c = 0; c < m_columns.size(); ++c) {
            const std::int32_t add = m_gap + m_columns[c].width;
            if (m_maxRows > 0 && !block.empty() && width + add > m_pageWidth) {
                blocks.push_back(block);
                block.clear();
                width = m_rowWidth;
            }
            block.push_back(c);
            width += add;
        }
        if (!block.empty()) {
            blocks.push_back(block);
        }
        return blocks;
    }

    // Rows of the block that hold a selected entry, at most option 2 of them.
    std::vector<std::int32_t> blockRows(const std::vector<std::size_t>& block) const
    {
        std::vector<std::int32_t> rows;
        for (std::int32_t i = 1; i <= m_nra; ++i) {
            if (m_maxRows > 0 && static_cast<std::int32_t>(rows.size()) >= m_maxRows) {
                break;
            }
            for (const std::size_t c : block) {
                if (selected(i, m_columns[c].index)) {
                    rows.push_back(i);
                    break;
                }
            }
        }
        return rows;
    }

    // One logical line (row part and fields) as printed lines: continuation lines, when
    // rows wrap, start after the row labels with an extra indentation of 1, 2, 3, 4, 0.
    std::vector<std::string> wrapped(const std::string& rowPart,
                                     const std::vector<std::string>& fields) const
    {
        std::vector<std::string> lines;
        std::string line = rowPart;
        bool fieldOnLine = false;
        std::int32_t continuation = 0;
        for (const std::string& field : fields) {
            if (fieldOnLine && line.size() + field.size() > static_cast<std::size_t>(m_pageWidth)) {
                lines.push_back(line);
                ++continuation;
                const std::int32_t extra = continuation % 5;
                line = std::string(static_cast<std::size_t>(m_rowWidth + extra), ' ');
            }
            line += field;
            fieldOnLine = true;
        }
        lines.push_back(line);
        return lines;
    }

    std::vector<std::string> headingLines(const std::vector<std::size_t>& block) const
    {
        std::vector<std::string> lines;
        if (m_columnMode == 0) {
            return lines;
        }
        std::size_t count = m_columnMode >= 2 ? m_rowHeading.size() : 0;
        if (m_columnMode != 3) {
            for (const std::size_t c : block) {
                count = std::max(count, m_columns[c].heading.size());
            }
        }
        for (std::size_t k = 0; k < count; ++k) {
            const std::string rowPart = leftAligned(
                (m_columnMode >= 2 && k < m_rowHeading.size()) ? m_rowHeading[k] : std::string(),
                m_rowWidth);
            std::vector<std::string> fields;
            for (const std::size_t c : block) {
                const Column& column = m_columns[c];
                const std::string text = (m_columnMode != 3 && k < column.heading.size())
                                             ? column.heading[k]
                                             : std::string();
                fields.push_back(std::string(static_cast<std::size_t>(m_gap), ' ') +
                                 rightAligned(text, column.width));
            }
            for (const std::string& line : wrapped(rowPart, fields)) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    // The printed lines of row i in the block.
    std::vector<std::string> entryLines(const std::vector<std::size_t>& block, std::int32_t i) const
    {
        std::vector<std::string> labels = rowLabelLines(i);
        std::vector<std::string> lines;
        std::size_t entryLabel = 0;
        if (labels.size() > 1 && m_maxRows > 0 && m_labelLinesAlone) {
            for (std::size_t k = 0; k + 1 < labels.size(); ++k) {
                lines.push_back(labels[k]);
            }
            entryLabel = labels.size() - 1;
        }
        std::vector<std::string> fields;
        for (const std::size_t c : block) {
            const Column& column = m_columns[c];
            const std::int32_t j = column.index;
            const double x = m_a[static_cast<std::int64_t>(j - 1) * m_lda + (i - 1)];
            const bool inSelection = selected(i, j);
            fields.push_back(
                std::string(static_cast<std::size_t>(m_gap), ' ') +
                rightAligned(cellText(inSelection ? x : 0.0, column, inSelection, m_nanOption),
                             column.width));
        }
        for (const std::string& line :
             wrapped(leftAligned(labels[entryLabel], m_rowWidth), fields)) {
            lines.push_back(line);
        }
        for (std::size_t k = entryLabel + 1; k < labels.size(); ++k) {
            lines.push_back(labels[k]);
        }
        return lines;
    }

    std::string_view m_title;
    std::int32_t m_nra;
    std::int32_t m_nca;
    const double* m_a;
    std::int32_t m_lda;
    std::int32_t m_itring;
    std::span<const std::string> m_rowlab;
    std::span<const std::string> m_collab;

    std::int32_t m_pageWidth = 0;
    std::int32_t m_pageLength = 0;
    bool m_centreOnPage = false;
    std::int32_t m_maxRows = 0;
    std::int32_t m_pageLines = -2;
    std::int32_t m_nanOption = 2;
    bool m_repeatTitle = false;
    std::int32_t m_gap = 2;
    std::int32_t m_rowWidthOption = 0;
    std::int32_t m_indent = 0;
    std::int32_t m_rowWindow = 0;
    std::int32_t m_columnWidthOption = 0;
    std::int32_t m_columnWindow = 0;
    std::int32_t m_titleWindow = 10;
    bool m_labelLinesAlone = true;

    RowLabels m_rowLabels = RowLabels::None;
    ColumnMode m_columnMode = 0;
    std::vector<std::string> m_titleLines;
    std::int32_t m_titleLongest = 0;
    std::vector<std::string> m_rowHeading;
    std::int32_t m_rowWidth = 0;
    std::vector<Column> m_columns;
};

// The automatic format of option 6.
std::string automaticFormat(std::int32_t nra, std::int32_t nca, const double* a, std::int32_t lda,
                            std::int32_t itring)
{
    std::string format;
    switch (option(6)) {
    case 0:
        dFMTRR(format, nra, nca, a, lda, itring, 10, 4);
        break;
    case 1:
        dFMTRR(format, nra, nca, a, lda, itring, 12, 6);
        break;
    case 2:
        format = "(1PE12.5)";
        break;
    case 4:
        dFMTRR(format, nra, nca, a, lda, itring, -12, -6);
        break;
    case 5: {
        const std::int32_t d =
            std::min(static_cast<std::int32_t>(0.05 - std::log10(DMACH(4))) - 1, 33);
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "(1PE%2d.%2d)", d + 7, d);
        format = buffer;
        break;
    }
    default:
        dFMTRR(format, nra, nca, a, lda, itring, -10, -4);
        break;
    }
    return format;
}

// Reads w and d of the first V or W descriptor of fmt.
void governingDescriptor(std::string_view fmt, char& letter, std::int32_t& w, std::int32_t& d)
{
    std::size_t at = std::string_view::npos;
    for (const char c : {'V', 'v', 'W', 'w'}) {
        at = fmt.find(c);
        if (at != std::string_view::npos) {
            letter = static_cast<char>(c & ~0x20);
            break;
        }
    }
    const std::size_t dot = fmt.find('.', at);
    const std::size_t close = fmt.find(')', dot);
    std::int32_t flag = 0;
    const std::string_view width = fmt.substr(at + 1, dot - at - 1);
    const std::string_view digits = fmt.substr(dot + 1, close - dot - 1);
    FMTINT(width, static_cast<std::int32_t>(width.size()), w, flag);
    FMTINT(digits, static_cast<std::int32_t>(digits.size()), d, flag);
}

void printMatrix(std::string_view title, std::int32_t nra, std::int32_t nca, const double* a,
                 std::int32_t lda, std::int32_t itring, std::string_view fmt,
                 std::span<const std::string> rowlab, std::span<const std::string> collab,
                 std::span<std::string> fmtwk)
{
    std::int32_t code = 1;
    CHKRNG(nra, "NRA", 0, -1, code);
    CHKRNG(lda, "LDA", 1, -1, code);
    if (lda >= 1 && nca != 0) {
        CHKLEQ(nra, "NRA", lda, "LDA", code);
    } else {
        ++code;
    }
    CHKRNG(nca, "NCA", 0, -1, code);
    CHKRNG(itring, "ITRING", -2, 2, code);
    if (N1RTY(0) != 0) {
        return;
    }

    std::string format(fmt);
    if (LENTRM(fmt) == 0) {
        format = automaticFormat(nra, nca, a, lda, itring);
        if (N1RTY(0) != 0) {
            return;
        }
    }
    std::int32_t singleVW = 0;
    std::int32_t largestField = -1;
    FMTCHK(format, code, singleVW, largestField);
    if (N1RTY(0) != 0) {
        return;
    }

    Printer printer(title, nra, nca, a, lda, itring, rowlab, collab);
    if (!printer.setUp(largestField) || N1RTY(0) != 0) {
        return;
    }

    const bool anyVW = format.find_first_of("VvWw") != std::string::npos;
    if (singleVW == 1) {
        char letter = 'W';
        std::int32_t w = 0;
        std::int32_t d = 0;
        governingDescriptor(format, letter, w, d);
        std::string chosen;
        dFMTRR(chosen, nra, nca, a, lda, itring, w, letter == 'W' ? d : -d);
        if (N1RTY(0) != 0) {
            return;
        }
        for (std::int32_t j = 1; j <= nca; ++j) {
            printer.addColumn(j, chosen);
        }
    } else if (anyVW) {
        std::vector<std::string> formats(static_cast<std::size_t>(std::max(nca, 0)));
        WRCFMT(itring, 1, nca, nra, nca, a, lda, format, formats);
        if (N1RTY(0) != 0) {
            return;
        }
        for (std::int32_t j = 1; j <= nca; ++j) {
            const std::string& chosen = formats[static_cast<std::size_t>(j - 1)];
            printer.addColumn(j, chosen);
            if (static_cast<std::size_t>(j - 1) < fmtwk.size()) {
                fmtwk[static_cast<std::size_t>(j - 1)] = chosen;
            }
        }
    } else {
        std::string item;
        for (std::int32_t j = 1; j <= nca; ++j) {
            FMTITM(j, format, item);
            printer.addColumn(j, item);
        }
    }

    printer.print();
}

} // namespace

void DW2RRL(std::string_view title, std::int32_t nra, std::int32_t nca, const double* a,
            std::int32_t lda, std::int32_t itring, std::string_view fmt,
            std::span<const std::string> rowlab, std::span<const std::string> collab,
            std::span<std::string> fmtwk)
{
    // Settings made for this call expire, also when it failed or a stop hook threw.
    struct ResetOptions
    {
        ~ResetOptions()
        {
            std::int32_t unused = 0;
            WROPT(0, unused, 0);
        }
    } reset;
    RoutineScope scope("dW2RRL");
    printMatrix(title, nra, nca, a, lda, itring, fmt, rowlab, collab, fmtwk);
}

} // namespace numerics
