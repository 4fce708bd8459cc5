#include "batch/VerifyingRowCheck.h"

namespace morvatex {

std::string VerifyingRowCheck::Check(const ConversionRun& run, bool& failed) {
  const VerificationResult check = VerifyConversion(run, settings_, fs_, options_, dialect_);
  failed = !check.Clean();
  return check.report;
}

}  // namespace morvatex
