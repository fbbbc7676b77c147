// X.25 packet and LAPD call-control message translation: one line per frame.
#pragma once

int RunPacketTranslation();
