// The sample capture data files of examples/ (ASYNC.DT, SYNC.DT, HDLC.DT,
// PPP.DT, LAPD.DT), built with the capture writer the same way every time.
#pragma once

#include <string>

// Writes every sample into `folder`. Returns false, with the path of the file
// that could not be written in `failedPath`, when a write fails.
bool WriteSampleCaptures(const std::string& folder, std::string& failedPath);
