# The EZ-USB models reach their devices through the USB platform layer.
target_link_libraries(vykdrv32_objects PUBLIC platform_usb)
target_link_libraries(VYKDRV32 PRIVATE platform_usb)
target_link_libraries(vykdrv32_core PUBLIC platform_usb)
