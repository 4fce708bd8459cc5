// The entry of the tool-path preview module. morvatex-convert loads the
// module (with Qt) only when --preview is asked for, so that every other run
// starts without Qt (on Windows: without Qt's DLLs and their runtime).
//
// The boundary carries C types only: the two sides share no C++ object, and
// a module of another build is refused by the entry's name (its number
// changes with MorvatexPreviewCall) or by the size of the settings record,
// instead of misreading the call.
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// Hands `size` bytes of UTF-8 text to the caller's standard output (`stream`
// 1) or standard error (`stream` 2).
typedef void MorvatexPreviewWrite(void* context, int stream, const char* text, size_t size);

// One preview. The paths are Windows-1252 text ending in NUL.
typedef struct MorvatexPreviewCall {
  const char* source;      // the Isel program to draw
  const char* picture;     // the PNG file to write
  const char* keep;        // the settings file, which the picture must not replace
  const void* settings;    // the SettingsRecord, byte for byte,
  size_t settingsSize;     // and its size
  int rapidRate;           // mm/min, for the estimate
  double acceleration;     // mm/s², for the estimate
  double cornerTolerance;  // mm, for the estimate
  int depth;               // nonzero: the depth view
  int dialect;             // the Isel dialect of the source: 0 the original, 1 the extended one
  // Nonzero once a stop signal arrived: a read that waits then gives up.
  int (*stopArrived)(void);
  MorvatexPreviewWrite* write;
  void* writeContext;
} MorvatexPreviewCall;

// Draws the picture and reports as RunPreviewCommand (previewmodule/PreviewCommand.h)
// does, handing all text to `call->write` before it returns, and returns its
// exit status: 0, 1, or 2 (also for a settings record of another size or a
// dialect it does not know).
typedef int MorvatexPreviewEntry(const MorvatexPreviewCall* call);
MorvatexPreviewEntry MorvatexRunPreview4;
#define MORVATEX_PREVIEW_ENTRY "MorvatexRunPreview4"

#ifdef __cplusplus
}
#endif
