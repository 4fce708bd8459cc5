// The outcome code of a conversion run: 0 for success, 11 and more for the
// stage that failed. Every stage of a run runs only while the code is at
// most kLastGoodCode.
#pragma once

#include <string_view>

namespace morvatex {

namespace outcome {
inline constexpr int kSuccess = 0;
inline constexpr int kLastGoodCode = 10;

inline constexpr int kStopped = 11;
inline constexpr int kNoOutputChosen = 20;
inline constexpr int kSourceOpen = 50;
inline constexpr int kSourceRead = 51;
inline constexpr int kSourceClose = 52;
inline constexpr int kTooFewLines = 55;
inline constexpr int kNoProgend = 56;
inline constexpr int kDxfCreate = 60;
inline constexpr int kDxfHeader = 62;
inline constexpr int kDxfExtents = 64;
inline constexpr int kDxfEntity = 65;
inline constexpr int kDxfEnd = 66;
inline constexpr int kDxfClose = 67;
inline constexpr int kFolderCreate = 70;
inline constexpr int kFolderIoError = 71;
inline constexpr int kCncCreate = 80;
inline constexpr int kCncHeaderFirst = 81;
inline constexpr int kCncHeader = 82;
inline constexpr int kCncClose = 83;
inline constexpr int kCncTrailer = 84;
inline constexpr int kCncHalt = 85;
inline constexpr int kCncCoolantOrPlane = 86;
inline constexpr int kCncToolChange = 87;
inline constexpr int kCncBeforeRapid = 88;
inline constexpr int kCncBeforeFeed = 89;
inline constexpr int kCncFeed = 90;
inline constexpr int kCncSpindle = 91;
inline constexpr int kCncMotion = 92;
inline constexpr int kXilogMotion = 93;
inline constexpr int kXilogHeaderOrContourStart = 95;
inline constexpr int kWritingPassNoEnd = 110;
inline constexpr int kMeasuringPassNoEnd = 111;
inline constexpr int kMeasuringNotInteger = 149;
inline constexpr int kWritingNotInteger = 150;
inline constexpr int kPlaneNotSupported = 151;
inline constexpr int kToolNotInteger = 152;
inline constexpr int kFeedNotInteger = 153;
inline constexpr int kSpeedNotInteger = 154;
inline constexpr int kUnknownInterpolation = 155;
inline constexpr int kToolOutOfRange = 156;
inline constexpr int kBlockNumber = 170;
}  // namespace outcome

// True while no stage has failed.
constexpr bool IsGood(int code) { return code <= outcome::kLastGoodCode; }

// The message line of the outcome report for `code` (Windows-1252);
// "Unbekannter Fehler!" for a code without a message of its own.
std::string_view OutcomeMessage(int code);

}  // namespace morvatex
