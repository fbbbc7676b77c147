#include "capture/record_window.h"

namespace {
std::uint32_t setupCount = 0;
}  // namespace

void SetupRecordWindow(RecordWindow& window, RecordPos start, std::uint32_t length) {
    // A trailing partial record is left out: only whole records are walked.
    const std::uint32_t wholeLength = length - length % kRecordSize;
    window.areaStart = start;
    window.areaEnd = start + wholeLength;
    window.windowFirst = start;
    window.windowEnd = start;
    window.home = CaptureCursor{start, 0, false};
    // Never 0, the number of a window not set up.
    if (++setupCount == 0) ++setupCount;
    window.setup = setupCount;
}
