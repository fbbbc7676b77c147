#include "translate/ppp_translation.h"

int RunPppTranslation() { return 0; }  // PENDING: written with the PPP translation
int RunPppDump() { return 0; }          // PENDING
