#include "decode/record_stream.h"

CaptureCursor workingCursor;
void SetupRecordWindow(RecordWindow&, RecordPos, std::uint32_t) {}
bool RecordAreaEmpty() { return true; }
bool NextRecord(RecordPos&) { return false; }
RecordPos StepForward(RecordPos pos) { return pos; }
RecordPos StepBackward(RecordPos pos) { return pos; }
void ResetWorkingCursor() {}
bool NextUnit() { return false; }
void AdvanceCursorTo(RecordPos) {}
bool IsFrameStart(CaptureRecord) { return false; }
bool NextFrameStart() { return false; }
bool NextFrameTimestamp() { return false; }
bool AdvanceToNextFrame() { return false; }
bool AdvanceToNextPppFrame() { return false; }
std::uint8_t InitialLineState() { return 0; }
