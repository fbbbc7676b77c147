#include "converter/dump_listings.h"

int RunNormalDump() { return 0; }      // PENDING: written with the dump listings
int RunLineStateChart() { return 0; }  // PENDING
int RunTranslateDump() { return 0; }   // PENDING
