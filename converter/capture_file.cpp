#include "converter/capture_file.h"

CaptureSettings captureSettings;
CMonData* monData = nullptr;

CMonData::CMonData(const char*) {}
CMonData::~CMonData() {}
int CMonData::Status() const { return 1; }
int CMonData::LoadSettings(CaptureSettings&) const { return 0; }
std::uint8_t CMonData::SettingsByte(std::size_t) const { return 0; }
int OpenDataFile() { return 0; }
void ReleaseDataFile() {}
