// The column-oriented listings: normal dump, line-state chart and the
// translate-format dump of character-oriented captures.
#pragma once

int RunNormalDump();
int RunLineStateChart();
int RunTranslateDump();
