#include "translate/frame_translation.h"

int RunFrameTranslation() { return 0; }  // PENDING: written with the frame translation
