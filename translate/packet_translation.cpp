#include "translate/packet_translation.h"

int RunPacketTranslation() { return 0; }  // PENDING: written with the packet translation
