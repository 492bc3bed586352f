#pragma once

#include "platform/usb/UsbBackend.h"

#include <libusb.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::usb {

// The part of libusb-1.0 the backend uses, as a table so that tests can put a fake
// behind it.
struct LibusbApi
{
    int (*init)(libusb_context**) = nullptr;
    void (*exit)(libusb_context*) = nullptr;
    ssize_t (*getDeviceList)(libusb_context*, libusb_device***) = nullptr;
    void (*freeDeviceList)(libusb_device**, int) = nullptr;
    int (*getDeviceDescriptor)(libusb_device*, libusb_device_descriptor*) = nullptr;
    uint8_t (*getBusNumber)(libusb_device*) = nullptr;
    int (*getPortNumbers)(libusb_device*, uint8_t*, int) = nullptr;
    int (*open)(libusb_device*, libusb_device_handle**) = nullptr;
    void (*close)(libusb_device_handle*) = nullptr;
    int (*setAutoDetachKernelDriver)(libusb_device_handle*, int) = nullptr;
    int (*claimInterface)(libusb_device_handle*, int) = nullptr;
    int (*releaseInterface)(libusb_device_handle*, int) = nullptr;
    int (*getActiveConfigDescriptor)(libusb_device*, libusb_config_descriptor**) = nullptr;
    void (*freeConfigDescriptor)(libusb_config_descriptor*) = nullptr;
    int (*controlTransfer)(libusb_device_handle*, uint8_t, uint8_t, uint16_t, uint16_t,
                           unsigned char*, uint16_t, unsigned int) = nullptr;
    int (*bulkTransfer)(libusb_device_handle*, unsigned char, unsigned char*, int, int*,
                        unsigned int) = nullptr;
    int (*clearHalt)(libusb_device_handle*, unsigned char) = nullptr;
};

// The real library.
LibusbApi realLibusbApi();

// A vendor and product id pair that the backend lists.
struct UsbId
{
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// The devices whose ids are among `ids`, in bus/port order, through `api`. Null when the
// library cannot be initialised.
std::shared_ptr<UsbBackend> makeLibusbBackend(const LibusbApi& api, std::vector<UsbId> ids);

} // namespace platform::usb
