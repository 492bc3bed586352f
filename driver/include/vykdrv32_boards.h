/* VYKDRV32: exports of the CadrelPCI card (digital and analog I/O). */
#ifndef VYKDRV32_BOARDS_H
#define VYKDRV32_BOARDS_H

#include "driver/include/vykdrv32.h"

/* Writes the digital output port with highByte x 256 + lowByte. Any thread. */
VYK_API int16_t CadrelPCI_WriteDIO(uint8_t highByte, uint8_t lowByte);
/* Reads the 16-bit digital input port. */
VYK_API uint16_t CadrelPCI_ReadDIO(void);
/* Writes analog output 0 or 1; any other channel writes nothing and returns the channel. */
VYK_API int16_t CadrelPCI_AnalogOut(int16_t channel, uint16_t value);
/* 1 when the connected card is the PCI+ variant. */
VYK_API int16_t CadrelPCI_IsPCIPlus(void);
/* Bit 3 of the board's status port (external trigger present, digital input D3) for the
 * Dovrin, Brontel, FornicPC104 and CadrelPCI boards: 1 or 0; 0 for the other A/D types. */
VYK_API int16_t VYK_GetD3State(void);
/* Leaves the card as it is (nothing to do on shutdown). */
VYK_API void Shutdown_CadrelPCI_Istrel(void);

#endif
