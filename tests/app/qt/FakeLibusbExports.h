#pragma once

// The libusb functions the driver library uses, defined by the program on the fake libusb of
// tests/platform/usb: a program that exports them (ENABLE_EXPORTS) gets them bound in the
// driver library instead of the system's, so the simulated devices behind the fake answer the
// library's USB calls. Include in one source file of a program only. A program may watch the
// bulk transfers through setBulkTransferObserver (before and after each one).
#include "tests/platform/usb/FakeLibusb.h"

#include <functional>

namespace platform::usb::test {

// Called before (done false) and after (done true) every bulk transfer, on the caller's thread.
inline std::function<void(unsigned char endpoint, const unsigned char* data, int length,
                          bool done)>&
bulkTransferObserver()
{
    static std::function<void(unsigned char, const unsigned char*, int, bool)> observer;
    return observer;
}

} // namespace platform::usb::test

// The libusb functions the driver library uses, on the fake.
extern "C" {
int libusb_init(libusb_context** context)
{
    return platform::usb::test::FakeLibusb::api().init(context);
}
void libusb_exit(libusb_context* context)
{
    platform::usb::test::FakeLibusb::api().exit(context);
}
ssize_t libusb_get_device_list(libusb_context* context, libusb_device*** list)
{
    return platform::usb::test::FakeLibusb::api().getDeviceList(context, list);
}
void libusb_free_device_list(libusb_device** list, int unref)
{
    platform::usb::test::FakeLibusb::api().freeDeviceList(list, unref);
}
int libusb_get_device_descriptor(libusb_device* device, libusb_device_descriptor* out)
{
    return platform::usb::test::FakeLibusb::api().getDeviceDescriptor(device, out);
}
uint8_t libusb_get_bus_number(libusb_device* device)
{
    return platform::usb::test::FakeLibusb::api().getBusNumber(device);
}
int libusb_get_port_numbers(libusb_device* device, uint8_t* ports, int length)
{
    return platform::usb::test::FakeLibusb::api().getPortNumbers(device, ports, length);
}
int libusb_open(libusb_device* device, libusb_device_handle** handle)
{
    return platform::usb::test::FakeLibusb::api().open(device, handle);
}
void libusb_close(libusb_device_handle* handle)
{
    platform::usb::test::FakeLibusb::api().close(handle);
}
int libusb_set_auto_detach_kernel_driver(libusb_device_handle* handle, int enable)
{
    return platform::usb::test::FakeLibusb::api().setAutoDetachKernelDriver(handle, enable);
}
int libusb_claim_interface(libusb_device_handle* handle, int number)
{
    return platform::usb::test::FakeLibusb::api().claimInterface(handle, number);
}
int libusb_release_interface(libusb_device_handle* handle, int number)
{
    return platform::usb::test::FakeLibusb::api().releaseInterface(handle, number);
}
int libusb_get_active_config_descriptor(libusb_device* device, libusb_config_descriptor** out)
{
    return platform::usb::test::FakeLibusb::api().getActiveConfigDescriptor(device, out);
}
void libusb_free_config_descriptor(libusb_config_descriptor* config)
{
    platform::usb::test::FakeLibusb::api().freeConfigDescriptor(config);
}
int libusb_control_transfer(libusb_device_handle* handle, uint8_t requestType, uint8_t request,
                            uint16_t value, uint16_t index, unsigned char* data, uint16_t length,
                            unsigned int timeoutMs)
{
    return platform::usb::test::FakeLibusb::api().controlTransfer(
        handle, requestType, request, value, index, data, length, timeoutMs);
}
int libusb_bulk_transfer(libusb_device_handle* handle, unsigned char endpoint, unsigned char* data,
                         int length, int* transferred, unsigned int timeoutMs)
{
    auto& observe = platform::usb::test::bulkTransferObserver();
    if (observe)
        observe(endpoint, data, length, false);
    const int result = platform::usb::test::FakeLibusb::api().bulkTransfer(
        handle, endpoint, data, length, transferred, timeoutMs);
    if (observe)
        observe(endpoint, data, length, true);
    return result;
}
int libusb_clear_halt(libusb_device_handle* handle, unsigned char endpoint)
{
    return platform::usb::test::FakeLibusb::api().clearHalt(handle, endpoint);
}
}
