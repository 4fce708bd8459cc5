// What several fuzz targets share: a sink for the loaders' warnings and a
// small program that touches every kind of block, so that a loaded record
// reaches every place that reads it.
#pragma once

#include <string_view>

#include "base/MessageSink.h"

namespace morvatex::fuzz {

class SilentSink final : public MessageSink {
 public:
  void ShowMessage(std::string_view) override {}
};

inline constexpr const char* kSmallProgram =
    "N1 GETTOOL 2\r\nN2 SPINDLE CW RPM12000\r\nN3 VEL 4000\r\nN4 FASTABS X0 Y0 Z5000\r\n"
    "N5 MOVEABS Z-1000\r\nN6 MOVEREL X20000\r\nN7 CCWREL I0 J5000 X0 Y10000\r\n"
    "N8 CWABS I10000 J10000 X20000 Y20000\r\nN9 COOLANT ON\r\nN10 HALT\r\nN11 FASTABS Z5000\r\n"
    "N12 PROGEND\r\n";

}  // namespace morvatex::fuzz
