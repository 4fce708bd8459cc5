// The outcome code of a conversion run: 0 for success, 11 and more for the
// stage that failed. Every stage of a run runs only while the code is at
// most kLastGoodOutcome.
//
// A type of its own, so that an outcome code cannot be mixed up with the
// other numbers around it (job list codes, errno, exit statuses). Its
// number is what the report and the log print.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string_view>

namespace morvatex {

enum class Outcome : std::int32_t {
  kSuccess = 0,

  kStopped = 11,
  kNoOutputChosen = 20,
  kSourceOpen = 50,
  kSourceRead = 51,
  kSourceClose = 52,
  kTooFewLines = 55,
  kNoProgend = 56,
  kDxfCreate = 60,
  kDxfHeader = 62,
  kDxfExtents = 64,
  kDxfEntity = 65,
  kDxfEnd = 66,
  kDxfClose = 67,
  kFolderCreate = 70,
  kFolderIoError = 71,
  kCncCreate = 80,
  kCncHeaderFirst = 81,
  kCncHeader = 82,
  kCncClose = 83,
  kCncTrailer = 84,
  kCncHalt = 85,
  kCncCoolantOrPlane = 86,
  kCncToolChange = 87,
  kCncBeforeRapid = 88,
  kCncBeforeFeed = 89,
  kCncFeed = 90,
  kCncSpindle = 91,
  kCncMotion = 92,
  kXilogMotion = 93,
  kXilogHeaderOrContourStart = 95,
  kWritingPassNoEnd = 110,
  kMeasuringPassNoEnd = 111,
  kMeasuringNotInteger = 149,
  kWritingNotInteger = 150,
  kPlaneNotSupported = 151,
  kToolNotInteger = 152,
  kFeedNotInteger = 153,
  kSpeedNotInteger = 154,
  kUnknownInterpolation = 155,
  kToolOutOfRange = 156,
  // What the extended dialect reads but refuses to guess at.
  kDrillCycleNotSupported = 160,
  kDrillNotDefined = 161,
  kMachineFrameNotExpressible = 162,
  kArcInMachineFrame = 163,
  kInchNotSupported = 164,
  kRotaryAxisNotSupported = 165,
  kBlockNumber = 170,
};

// The highest number of a run that has not failed (only 0 is ever set).
inline constexpr std::int32_t kLastGoodOutcome = 10;

// The number of `code`, as the report prints it.
constexpr std::int32_t NumberOf(Outcome code) { return static_cast<std::int32_t>(code); }

// True while no stage has failed.
constexpr bool IsGood(Outcome code) { return NumberOf(code) <= kLastGoodOutcome; }

// The message line of the outcome report for `code` (Windows-1252);
// "Unbekannter Fehler!" for a code without a message of its own.
std::string_view OutcomeMessage(Outcome code);

// Prints the number, for test failures and diagnostics.
std::ostream& operator<<(std::ostream& out, Outcome code);

}  // namespace morvatex
