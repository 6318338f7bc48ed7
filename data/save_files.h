// "config.sav" (the four option choices, in the config folder) and
// "record.sav" (one best time per course of the game's own, in the save
// folder; see platform/paths.h; a course pack's in packs/<its folder name>/
// there, one per course of the pack): headerless arrays of 32-bit
// little-endian integers. Saving never shows a message box; a failed save leaves
// the old file whole and the values in memory, and puts one line with the
// path and the reason on standard error, once per file per run.
#pragma once
#include <cstddef>
#include <cstdio>

// Which files have had their failure reported this run.
struct SaveReports {
    int configReported;   // "config.sav" could not be written, and it was said
    int recordReported;   // the same for "record.sav"
    int extrasReported;   // "extras.sav"
    int ghostReported;    // any file in "ghost/"
};
extern SaveReports saveReports;

// Opens `name` in `folder` (SysConfigFolder() or SysSaveFolder()) for
// reading; null when it is not there.
FILE* OpenSaveFile(const char* folder, const char* name);
// Replaces `name` in `folder` with `size` bytes, whole or not at all; on
// failure tells standard error once per run (`reported` remembers it) with
// the path and the reason. 1 written.
int WriteSaveFile(const char* folder, const char* name, const void* bytes, size_t size, int* reported);

// Restores ballTypeSel, gravitySel, cameraPitchSel, cameraLengthSel from
// "config.sav" (as many as the file holds, each clamped to 0..2). Part of
// LoadSettings.
void LoadOptions();
int  SaveOptions();      // 1 written, 0 failed
// Every course's best time: the game's own from record.sav, each pack's
// from its own. 1 read, 0 when "record.sav" cannot be opened.
int  LoadBestTimes();
int  SaveBestTimes();    // the game's own courses' record.sav; 1 written, 0 failed
struct CoursePack;
int  SavePackBestTimes(const CoursePack& pack);   // the pack's record.sav; 1 written
// At the goal: keeps loop.raceTimeMs as the current course's best time and
// saves its record.sav when it beats the record (or there is none); a tie
// writes nothing.
// 1 when the run set a new best time.
int  KeepBestTime();
