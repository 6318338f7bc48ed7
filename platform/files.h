// Opening data files named the way course authors write them. Course packs
// made on Windows say "field\map0.bmp" in any letter case; every loader opens
// its files through here so that such names work on Linux too.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Turns a relative or absolute UTF-8 name into an existing path: backslashes
// become '/', and where a component does not exist as written, a
// case-insensitive match in its folder is used. 1 when found (out filled),
// 0 when not (out holds the name with '/' separators).
int SysResolvePath(const char* name, char* out, size_t outSize);

// fopen through SysResolvePath for reading; for writing only the separators
// are converted (and the folder part resolved) so that new files are made
// under the name as given.
FILE* SysOpenFile(const char* name, const char* mode);

// Replaces the file `name` (folder looked up as for writing above) with
// `size` bytes of `data` so that a crash or power loss leaves either the old
// or the new content, never a truncated mix: the bytes go to "<name>.tmp"
// beside it, are flushed to the disk and renamed over it. 1 written; 0
// failed, and the old file is then as it was.
int SysReplaceFile(const char* name, const void* data, size_t size);
// The same without waiting for the disk, for files the game can make again
// (caches): a crash never leaves a mix of old and new bytes behind, but a
// power loss may leave a damaged file, which its reader must detect.
int SysReplaceFileUnsynced(const char* name, const void* data, size_t size);

// Makes the folder `name` (relative to the current folder) unless it exists.
// 1 when it is there afterwards.
int SysMakeFolder(const char* name);

int SysIsFolder(const char* path);   // 1 when a folder (or a link to one) is there
int SysIsFile(const char* path);     // 1 when a plain file is there

// What tells one version of a file from the next: saving it (in place, or as
// a new file renamed over it) changes at least one field. All zero when
// nothing is there.
struct SysFileStamp {
    int64_t modifiedNs;   // last change of the contents, ns since the epoch
    int64_t changedNs;    // last change of the file itself (a rename over it, a copy keeping times)
    int64_t size;
    uint64_t inode;
    int exists;
};
// The stamp of `name`, looked up as SysOpenFile does for reading.
SysFileStamp SysStampOf(const char* name);
bool SysSameStamp(const SysFileStamp& a, const SysFileStamp& b);

// The names in `folder` (without "." and ".."), sorted; 0 when it cannot be read.
int SysListFolder(const char* folder, std::vector<std::string>* names);

// Copies the file `from` to `to` only when nothing is at `to` yet: never
// overwrites, and a copy cut short (full disk, power loss) never appears
// under `to`. 1 copied; 0 not (`to` already there, or errno says why).
int SysCopyNewFile(const char* from, const char* to);

// Takes an exclusive advisory lock (flock) on `name`, made when missing,
// without waiting. The lock lasts while the returned handle stays open and
// ends with the process at the latest. >= 0 the handle; -1 another open of
// the file holds the lock; -2 the file cannot be opened (errno says why).
int  SysLockFile(const char* name);
void SysUnlockFile(int handle);
