#include "numerics/IntegerOptions.h"

#include "numerics/ErrorReporting.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace numerics {

namespace {

using Values = std::vector<std::int32_t>;

struct Chapter
{
    // Option number n (1-based) has its values at options[n - 1]; an option without
    // values has an empty vector.
    std::vector<Values> current;
    std::vector<Values> defaults;
};

struct Product
{
    std::int32_t chapters = 0;
    std::map<std::int32_t, Chapter> withOptions;
};

struct OptionStore
{
    Product math;
    Product stat;
};

Chapter makeChapter(std::vector<Values> values)
{
    return Chapter{values, std::move(values)};
}

OptionStore makeStore()
{
    OptionStore store;
    store.math.chapters = 10;
    store.stat.chapters = 20;

    std::vector<Values> chapter1(21);
    chapter1[4] = {1, 2147483647};
    chapter1[5] = {2147483647};
    chapter1[9] = {1};
    chapter1[10] = {1};
    chapter1[12] = {0};
    chapter1[13] = {0};
    chapter1[15] = {1, 16, 0, 1};
    chapter1[16] = {1, 2};
    chapter1[20] = {1};
    store.math.withOptions[1] = makeChapter(std::move(chapter1));
    store.math.withOptions[2] = makeChapter({{1, 16, 0, 1, 1, 16, 0, 1}});
    // No routine reads chapter 5; its first 54 options hold one value each.
    std::vector<Values> chapter5(100);
    for (std::size_t i = 0; i < 54; ++i) {
        chapter5[i] = {0};
    }
    store.math.withOptions[5] = makeChapter(std::move(chapter5));
    store.math.withOptions[10] = makeChapter({{0}, {2}, {3}});
    store.stat.withOptions[19] = makeChapter({{0}, {0}, {0}});
    return store;
}

OptionStore& optionStore()
{
    static OptionStore store = makeStore();
    return store;
}

std::string productName(std::string_view prodnm)
{
    while (!prodnm.empty() && prodnm.back() == ' ') {
        prodnm.remove_suffix(1);
    }
    std::string name(prodnm);
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

// Values of option number option (positive) in a chapter; nullptr when it has none.
Values* optionValues(std::vector<Values>& options, std::int32_t option)
{
    if (option < 1 || static_cast<std::size_t>(option) > options.size()) {
        return nullptr;
    }
    Values& values = options[static_cast<std::size_t>(option - 1)];
    return values.empty() ? nullptr : &values;
}

} // namespace

void IUMAG(std::string_view prodnm, std::int32_t ichp, std::int32_t iact, std::int32_t numopt,
           const std::int32_t* iopts, std::int32_t* ivals)
{
    OptionStore& store = optionStore();
    const std::string name = productName(prodnm);
    const bool isMath = name == "MATH";
    Product* product = isMath ? &store.math : (name == "STAT" ? &store.stat : nullptr);

    // Option 2 of "MATH" chapter 10 switches the checks of "MATH" requests off (value 1).
    const bool checked = !(isMath && store.math.withOptions[10].current[1][0] == 1);
    if (checked) {
        E1PSH("IUMAG ");
        if (iact != 1 && iact != 2) {
            E1VALI(1, iact);
            E1MES(kTerminal, 1,
                  "IACT must be 1 to get option values or 2 to put option values.  IACT = "
                  "%(I1) is invalid.");
        }
        if (product == nullptr) {
            E1VALL(1, prodnm);
            E1MES(kTerminal, 2,
                  "The product name must be either MATH or STAT.  PRODNM = %(L1) is invalid.");
        }
        if (N1RTY(0) != 0) {
            E1POP("IUMAG ");
            return;
        }
        if (ichp < 1 || ichp > product->chapters) {
            E1VALI(1, ichp);
            E1VALI(2, product->chapters);
            E1MES(kTerminal, 3,
                  isMath ? "ICHP = %(I1) is an invalid MATH chapter number.  To get or put MATH "
                           "options, ICHP must be between 1 and %(I2)."
                         : "ICHP = %(I1) is an invalid STAT chapter number.  To get or put STAT "
                           "options, ICHP must be between 1 and %(I2).");
        }
        if (N1RTY(0) != 0) {
            E1POP("IUMAG ");
            return;
        }
    }
    if (product == nullptr || ichp < 1 || ichp > product->chapters || (iact != 1 && iact != 2)) {
        if (checked) {
            E1POP("IUMAG ");
        }
        return;
    }
    static std::vector<Values> noOptions;
    const auto found = product->withOptions.find(ichp);
    std::vector<Values>& current =
        found != product->withOptions.end() ? found->second.current : noOptions;
    std::vector<Values>& defaults =
        found != product->withOptions.end() ? found->second.defaults : noOptions;
    const bool anyOptions =
        std::any_of(current.begin(), current.end(), [](const Values& v) { return !v.empty(); });
    bool valid = anyOptions && numopt >= 1;
    if (checked) {
        if (!anyOptions) {
            E1VALI(1, ichp);
            E1MES(kTerminal, 4,
                  isMath ? "No options exist for MATH chapter %(I1).  Only existing options may "
                           "have values retrieved from or placed into them."
                         : "No options exist for STAT chapter %(I1).  Only existing options may "
                           "have values retrieved from or placed into them.");
        }
        if (numopt < 1) {
            E1VALI(1, numopt);
            E1MES(kTerminal, 5,
                  "NUMOPT = %(I1) is an invalid number of options.  NUMOPT must be greater than "
                  "zero.");
        }
    }
    for (std::int32_t i = 0; i < numopt; ++i) {
        if (optionValues(current, std::abs(iopts[i])) == nullptr) {
            valid = false;
            if (checked) {
                E1VALI(1, i + 1);
                E1VALI(2, iopts[i]);
                E1VALL(1, isMath ? "MATH" : "STAT");
                E1VALI(3, ichp);
                E1MES(kTerminal, 6,
                      "IOPTS(%(I1)) = %(I2) is an invalid %(L1) chapter %(I3) option number.");
            }
        }
    }
    if (valid && (!checked || N1RTY(0) == 0)) {
        std::size_t k = 0;
        for (std::int32_t i = 0; i < numopt; ++i) {
            const std::int32_t option = iopts[i];
            Values& now = *optionValues(current, std::abs(option));
            const Values& initial = *optionValues(defaults, std::abs(option));
            if (iact == 1) {
                for (const std::int32_t v : option > 0 ? now : initial) {
                    ivals[k++] = v;
                }
            } else if (option > 0) {
                for (std::int32_t& v : now) {
                    v = ivals[k++];
                }
            } else {
                now = initial;
            }
        }
    }
    if (checked) {
        E1POP("IUMAG ");
    }
}

} // namespace numerics
