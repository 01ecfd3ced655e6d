// Every text vireo-learn writes: its report and the explanations on the ";"
// lines of the VIREO.INI it makes, in one place so that the wording can be
// checked against the guide. Windows-1251, as the system's texts are;
// button names come in as UTF-8 (they are read from UTF-8 files).
#pragma once

#include <cstdint>
#include <string>

namespace vireo::learn::text {

// Numbers as the guide writes them: a decimal comma, a blank before the unit.
std::string Ms(double us);
std::string Percent(int part, int whole);

// The report, a line each.
std::string TriedFirst();
std::string Tried(bool periods, std::int32_t stop, int right, int wrong);
std::string TriedLast(int presses);
std::string SeveralSignals(const std::string& name, std::size_t signals);
std::string Collision(const std::string& name, const std::string& other);
std::string NoValue(const std::string& name);
std::string Unsteady(const std::string& name, int right, int presses);
std::string LateStart(const std::string& name);
std::string NoStart(const std::string& name);
std::string TooLong(const std::string& name, std::int32_t bufferMs);
std::string LeftOut(const std::string& name, std::size_t lastSection);
std::string Expected(int right, int wrong, int none);

// The file's own comments.
extern const char* const kHeader[3];
extern const char kPort[];
std::string LastCommand(const std::string& last);
std::string CommandNote(const std::string& name, int right, int presses);
std::string CollidesWith(const std::string& other);

// Why each setting has its value.
extern const char kTimerType[];
std::string PacketSleep(double longestGapUs, const char* merging);
std::string SleepTimeSmall(double shortestGapUs);
std::string AddPrecision(int edges);
std::string PacketValid(std::int32_t slots);
extern const char kSleepTimeBigPolled[];
extern const char kSleepTimeBigEdgeWait[];
std::string PacketStopPause(std::int32_t stopMs, double longestPauseUs);
std::string PacketStartPause(double longestHeadUs);
std::string BufferSize(double longestContentUs, bool cut, double slotUs, double shortestRunUs);
std::string PacketStopUs(std::int32_t stopUs, double longestPauseUs);
extern const char kPacketStartUs[];
extern const char kEdgeWait[];
std::string BufferSizeByEdges(double longestContentUs, double slotUs);
extern const char kCodePeriods[];
extern const char kLongBurst[];
extern const char kNoLongBurst[];
std::string Threshold(int lowest, int highest, std::int32_t chosen);
extern const char kPacketMin[];

}  // namespace vireo::learn::text
