// HDLC-family frame translation (SDLC, X.25 LAPB, LAPD): one line per frame.
#pragma once

int RunFrameTranslation();
