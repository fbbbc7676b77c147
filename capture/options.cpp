#include "capture/options.h"

ConverterOptions options;

void ResetOptions() { options = ConverterOptions{}; }
