#include "converter/program.h"

int ParseCommandLine(int, char**) { return 0; }
int RunDialogue() { return 0; }
int PrepareConversion() { return 0; }
int RunChosenDriver() { return 1; }
int ConverterMain(int, char**) { return 1; }
