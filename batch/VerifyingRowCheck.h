// The check of each converted row as the batch records it: its CNC program
// read back by a control model and compared with its source
// (verify/Verification.h), for the desktop's "Ausgabe prüfen" and the
// converter's --verify.
#pragma once

#include <string>

#include "base/FileSystem.h"
#include "batch/BatchRun.h"
#include "settings/IselDialect.h"
#include "settings/SettingsRecord.h"
#include "verify/Verification.h"

namespace morvatex {

class VerifyingRowCheck final : public RowCheck {
 public:
  // Reads `settings` live, as the conversions do, and the sources in
  // `dialect`, the language they were converted in.
  VerifyingRowCheck(const SettingsRecord& settings, FileSystem& fs, VerificationOptions options, IselDialect dialect)
      : settings_(settings), fs_(fs), options_(options), dialect_(dialect) {}

  // The check's section of the report; `failed` unless it is clean.
  std::string Check(const ConversionRun& run, bool& failed) override;

 private:
  const SettingsRecord& settings_;
  FileSystem& fs_;
  VerificationOptions options_;
  IselDialect dialect_;
};

}  // namespace morvatex
