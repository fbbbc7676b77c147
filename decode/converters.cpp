#include "decode/converters.h"

// PENDING: written with the converters.
void InstallConverters(int, int) {}
void SetEmitFunctions(EmitFunction, EmitFunction) {}
void ConvertSdUnit(DataUnit) {}
void ConvertRdUnit(DataUnit) {}
