#pragma once

// The reshaping of the coefficient wrappers: the family's record on one side; the serial
// text, the record's 32-bit words and its last field on the other.

#include "driver/core/ExportGuard.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace driver::exports {

// The serial text at the start of every coefficient record, terminator included.
constexpr std::size_t kSerialBytes = 16;

// The record's layout as the wrappers see it: the serial text in the first 16 bytes, then
// 32-bit words, the last of which travels on its own.
template <class Record, class Value, class Last> struct CoefficientLayout
{
    static_assert(sizeof(Value) == 4 && sizeof(Last) == 4);
    static_assert(sizeof(Record) >= kSerialBytes + sizeof(Last));
    static_assert((sizeof(Record) - kSerialBytes) % 4 == 0);
    static constexpr std::size_t kLastOffset = sizeof(Record) - sizeof(Last);
    static constexpr std::size_t kValueCount = (kLastOffset - kSerialBytes) / sizeof(Value);
};

// Reads the record through `get` into a local copy and spreads it: the serial text into
// `serial` (16 bytes, terminated), the words between serial and last field into `values`,
// the last field into `last`. Returns get's result; 0 without a call when an argument is
// null. Runs inside the export guard under `name`.
template <class Record, class Value, class Last>
std::int32_t getCoefficients(const char* name, std::int32_t (*get)(Record*), char* serial,
                             Value* values, Last* last)
{
    using Layout = CoefficientLayout<Record, Value, Last>;
    return driver::core::guardExport<std::int32_t>(name, 0, [&]() -> std::int32_t {
        if (!serial || !values || !last)
            return 0;
        Record record{};
        const std::int32_t result = get(&record);
        const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
        std::memcpy(serial, bytes, kSerialBytes);
        serial[kSerialBytes - 1] = '\0';
        std::memcpy(values, bytes + kSerialBytes, Layout::kValueCount * sizeof(Value));
        std::memcpy(last, bytes + Layout::kLastOffset, sizeof(Last));
        return result;
    });
}

// Assembles a record from the three (the serial cut to 15 characters) and writes it
// through `set`; returns set's result, 0 without a call when an argument is null.
template <class Record, class Value, class Last>
std::int32_t setCoefficients(const char* name, std::int32_t (*set)(const Record*),
                             const char* serial, const Value* values, const Last* last)
{
    using Layout = CoefficientLayout<Record, Value, Last>;
    return driver::core::guardExport<std::int32_t>(name, 0, [&]() -> std::int32_t {
        if (!serial || !values || !last)
            return 0;
        Record record{};
        auto* bytes = reinterpret_cast<unsigned char*>(&record);
        std::memcpy(bytes, serial, strnlen(serial, kSerialBytes - 1));
        std::memcpy(bytes + kSerialBytes, values, Layout::kValueCount * sizeof(Value));
        std::memcpy(bytes + Layout::kLastOffset, last, sizeof(Last));
        return set(&record);
    });
}

} // namespace driver::exports
