/* VYKDRV32: the secondary forms of the exports. Included by vykdrv32.h after the family
 * headers.
 *
 * Every plain export listed in the export table has a twin "<name>_stdcall" with the same
 * arguments and result, for clients that need the callee to remove the arguments (on Linux
 * x86-64 both forms use the one calling convention). The twins of `Ulmar_WriteFPGA`,
 * `Pavik_I2C_Read` and `Pavik_I2C_Write` carry their argument bytes in the name, with "_"
 * where Windows puts "@" ("_Pavik_I2C_Read_stdcall_12"). The short-named "_LVD" wrappers
 * take the arguments of the export they call, except the coefficient and FullScan wrappers
 * below. Any thread, as the export called. */
#include "driver/include/vykdrv32.h" /* first: this family comes in its place there */
#ifndef VYKDRV32_FORMS_H
#define VYKDRV32_FORMS_H

#include "driver/exports/ExportRows.h"

#define VYK_FORMS_DECLARE_DECORATED(plain, decorated)                                              \
    VYK_EXTERN_C __typeof__(plain) plain##_stdcall __asm__(#decorated);
#define VYK_FORMS_DECLARE_TWIN(result, name, params, args) VYK_API result name##_stdcall params;
#define VYK_FORMS_DECLARE_LVD(result, wrapper, target, params, args) VYK_API result wrapper params;
/* Get: reads the record and spreads it into the serial text (16 bytes), the values and the
 * last field; Set: assembles a record from them (the serial cut to 15 characters) and writes
 * it. The result is the family call's; a null argument gives 0 without a call. */
#define VYK_FORMS_DECLARE_COEFFICIENTS(get, set, getWrapper, setWrapper, Record, Value, Last)      \
    VYK_API int32_t getWrapper(char* serial, Value* values, Last* last);                           \
    VYK_API int32_t setWrapper(const char* serial, const Value* values, const Last* last);

VYK_DECORATED_TWINS(VYK_FORMS_DECLARE_DECORATED)
VYK_TWIN_ROWS(VYK_FORMS_DECLARE_TWIN)
#define VYK_TWIN_ROW VYK_FORMS_DECLARE_TWIN
VYK_TWIN_ROWS_JAVA
#undef VYK_TWIN_ROW
VYK_LVD_ROWS(VYK_FORMS_DECLARE_LVD)
VYK_COEFFICIENT_ROWS(VYK_FORMS_DECLARE_COEFFICIENTS)

/* VYK_FullScan with the block's 16 int16 fields (mode, flash delay, integration, boxcar
 * half-width, scans to average, strobe/flash select, correct for dark, trigger mode, the
 * eight channel enables) and a data array of eight 8192-byte slices, channel k's 2048
 * floats at byte 8192 k; the microsecond fields are 0. */
VYK_API int16_t VYK_FS_LVD(const int16_t* fields, float* data);
/* The same with the 16 fields as int32 (each taken as its low 16 bits), followed by the
 * microsecond flag and the microsecond integration time. */
VYK_API int16_t VYK_FS_LVD_32(const int32_t* fields, float* data);
/* Returns its argument: a client obtains the address of an array it passes. */
VYK_API void* VYK_GetPointerToArray_stdcall(void* array);

#endif
