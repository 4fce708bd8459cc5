// The batch run of the command-line converter on several cores: converts
// independent job rows at the same time and records every outcome exactly as
// the one-row-at-a-time run (ExecuteBatch) does, in row order.
#pragma once

#include "base/FileSystem.h"
#include "base/ThreadStarter.h"
#include "batch/BatchRun.h"
#include "engine/ConversionRun.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

// Runs the batch over `table` like ExecuteBatch, converting up to `jobs`
// marked rows at the same time (on the calling thread and `jobs` - 1 more,
// the calling thread converting whenever it waits for a row to record),
// each with its own ConversionRun made from
// `settings`, `fs` and `options` (so `fs` and `options.processPendingInput`
// must bear calls from several threads). `jobs` of 1 or less is exactly
// ExecuteBatch with one run. The marked rows and their paths are read
// once at the start; nothing may change the table while the batch runs.
//
// Two rows whose paths may name the same file (a target or DXF path of one
// is a target, DXF or source path of the other) are never converted at the
// same time: the lower one is converted first. Paths count as the same file
// when the file system says so, when their text is equal, or when they have
// the same name (letters in any case) in the same folder. A folder not there
// yet counts as the deepest existing folder on its way with the names of the
// folders to be made below it ("." and ".." taken as the system takes them),
// so the way a path is written does not matter. Whatever cannot be told
// counts as the same file.
//
// Marks, log entries, JobStarting/JobConverted, the reports and the rows'
// checks (`check`, as ExecuteBatch makes them) are made
// on the calling thread, strictly in row order, as each row's result becomes
// available: the bytes are those of a one-row-at-a-time run.
//
// A stop request: the batch ends like a one-row-at-a-time run stopped at the
// first row (in row order) whose conversion ended with 11. Rows below that
// one are not started any more; those already converted or in progress are
// not recorded (they keep their marks, and their stopped conversions leave
// the targets as they were). Rows above it that have not started yet are
// still run, as one row at a time would run them; with the stop request
// standing they end with 11 at their first line.
//
// The threads come from `startThread`; with fewer than asked, the batch
// runs on those there are, down to the calling thread alone.
BatchResult ExecuteBatchInParallel(JobTable& table, const SettingsRecord& settings, FileSystem& fs,
                                   const ConversionOptions& options, const LogFile& log, BatchDisplay& display,
                                   int jobs, RowCheck* check = nullptr, const ThreadStarter& startThread = StartThread);

}  // namespace morvatex
