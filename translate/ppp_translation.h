// PPP translation and PPP frame dump: one line per frame.
#pragma once

int RunPppTranslation();
int RunPppDump();
