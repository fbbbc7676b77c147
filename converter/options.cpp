#include "converter/options.h"

ConverterOptions options;

void ResetOptions() { options = ConverterOptions{}; }
