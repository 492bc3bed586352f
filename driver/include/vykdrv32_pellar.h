/* VYKDRV32: the Pellar system. Included by vykdrv32.h. */
#include "driver/include/vykdrv32.h" /* first: this family comes in its place there */
#ifndef VYKDRV32_PELLAR_H
#define VYKDRV32_PELLAR_H

/* Opens "Ezusb-<deviceIndex>": a Pellar (or a Wessor on Xandel, which shares its product
 * id) writes its serial number into text (at least 16 bytes) and gives 1; a device that is
 * not the maker's writes "NOT Pellar" and gives 0; any other device gives 0 with an empty
 * text. The device is closed again. Any thread. */
VYK_API int32_t Pellar_IdentifyPellar(int32_t deviceIndex, char* text);

#endif
