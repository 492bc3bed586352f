#pragma once

#include <cstdint>

namespace driver::usb {

// Default USB ids of the EZ-USB models. "VYKDRV.INI" may override them in section
// [USB] with the keys VendorId, PavikProductId, SolviProductId, BrontelUsbProductId,
// VelkoProductId and WessorProductId (decimal or 0x-prefixed hexadecimal). The Wessor
// on Xandel and the Pellar system share one product id.
inline constexpr std::uint16_t kDefaultVendorId = 0x3A7C;
inline constexpr std::uint16_t kDefaultPavikProductId = 0x5101;
inline constexpr std::uint16_t kDefaultSolviProductId = 0x5102;
inline constexpr std::uint16_t kDefaultBrontelUsbProductId = 0x5103;
inline constexpr std::uint16_t kDefaultVelkoProductId = 0x5104;
inline constexpr std::uint16_t kDefaultWessorProductId = 0x5105;

// The Pellar system answers to the Wessor's product id, read from the same key, so that
// the two identify calls keep recognising each other's devices whatever is configured.
inline constexpr std::uint16_t kDefaultPellarProductId = kDefaultWessorProductId;
inline constexpr const char* kPellarProductIdKey = "WessorProductId";

} // namespace driver::usb
