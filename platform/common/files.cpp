// Data file names as course authors write them. Packs made on Windows name
// their files with backslashes and without caring about letter case
// ("Field\Map0.BMP" for field/map0.bmp); Linux sees neither as the same
// name. Every data file is opened through here so such packs work unchanged.
#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Exists(const char* path)
{
    struct stat info;
    return stat(path, &info) == 0;
}

// Copies `name` into `out` with '/' for every '\\'; 0 when it does not fit.
int CopyWithSlashes(const char* name, char* out, size_t outSize)
{
    size_t length = strlen(name);
    if (length >= outSize) return 0;
    for (size_t i = 0; i <= length; i++) out[i] = name[i] == '\\' ? '/' : name[i];
    return 1;
}

// Finds `component` in `folder` ignoring ASCII letter case. Of several
// matches the smallest name wins, so the choice does not depend on the order
// in which the file system lists them.
bool FindIgnoringCase(const char* folder, const char* component, char* found, size_t foundSize)
{
    DIR* dir = opendir(folder[0] ? folder : ".");
    if (!dir) return false;
    bool any = false;
    while (struct dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, component) != 0) continue;
        if (strlen(entry->d_name) >= foundSize) continue;
        if (any && strcmp(entry->d_name, found) >= 0) continue;
        strcpy(found, entry->d_name);
        any = true;
    }
    closedir(dir);
    return any;
}

// Appends one component to the path being built; 0 when out of room.
int Append(char* out, size_t outSize, size_t* length, const char* component)
{
    size_t add = strlen(component);
    bool slash = *length > 0 && out[*length - 1] != '/';
    if (*length + (slash ? 1 : 0) + add >= outSize) return 0;
    if (slash) out[(*length)++] = '/';
    memcpy(out + *length, component, add + 1);
    *length += add;
    return 1;
}

// Walks `path` (already with '/' separators) one component at a time,
// replacing each missing component by its case-insensitive match.
int ResolveComponents(const char* path, char* out, size_t outSize)
{
    size_t length = 0;
    out[0] = 0;
    if (path[0] == '/') { out[0] = '/'; out[1] = 0; length = 1; }
    const char* at = path;
    while (*at) {
        while (*at == '/') at++;
        const char* end = strchr(at, '/');
        size_t size = end ? (size_t)(end - at) : strlen(at);
        if (size == 0) break;
        char component[256];
        if (size >= sizeof component) return 0;
        memcpy(component, at, size);
        component[size] = 0;
        at += size;
        char folder[4096];
        if (length >= sizeof folder) return 0;
        memcpy(folder, out, length + 1);
        if (!Append(out, outSize, &length, component)) return 0;
        if (Exists(out)) continue;
        char found[256];
        if (!FindIgnoringCase(folder, component, found, sizeof found)) return 0;
        length = strlen(folder);
        memcpy(out, folder, length + 1);
        if (!Append(out, outSize, &length, found)) return 0;
    }
    return 1;
}

}  // namespace

int SysResolvePath(const char* name, char* out, size_t outSize)
{
    if (!name || !out || outSize == 0) return 0;
    if (!CopyWithSlashes(name, out, outSize)) { out[0] = 0; return 0; }
    if (out[0] == 0) return 0;
    if (Exists(out)) return 1;
    char path[4096];
    if (!CopyWithSlashes(name, path, sizeof path)) return 0;
    if (ResolveComponents(path, out, outSize)) return 1;
    CopyWithSlashes(name, out, outSize);
    return 0;
}

namespace {

// The path a new file is made under: the name as given, with '/' separators
// and its folder looked up as SysResolvePath does.
int WritePath(const char* name, char* out, size_t outSize)
{
    if (!CopyWithSlashes(name, out, outSize) || out[0] == 0) return 0;
    char* slash = strrchr(out, '/');
    if (!slash || slash == out) return 1;
    char file[4096];
    strcpy(file, slash + 1);
    *slash = 0;
    char folder[4096];
    if (!SysResolvePath(out, folder, sizeof folder)) { *slash = '/'; return 1; }
    size_t used = strlen(folder);
    if (used + 1 + strlen(file) >= outSize) { *slash = '/'; return 1; }
    memcpy(out, folder, used);
    out[used] = '/';
    strcpy(out + used + 1, file);
    return 1;
}

int WriteAll(int fd, const void* data, size_t size)
{
    const char* at = (const char*)data;
    while (size > 0) {
        ssize_t written = write(fd, at, size);
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = ENOSPC;
        if (written <= 0) return 0;
        at += written;
        size -= (size_t)written;
    }
    return 1;
}

// Makes a finished rename survive a power loss; a folder that cannot be
// synced (some file systems refuse) still holds the new file.
void SyncFolderOf(const char* path)
{
    char folder[4096];
    strcpy(folder, path);
    char* slash = strrchr(folder, '/');
    if (slash == folder) folder[1] = 0;
    else if (slash) *slash = 0;
    else strcpy(folder, ".");
    int fd = open(folder, O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

FILE* SysOpenFile(const char* name, const char* mode)
{
    if (!name || !mode) return nullptr;
    char path[4096];
    if (mode[0] == 'r') {
        SysResolvePath(name, path, sizeof path);
        return path[0] ? fopen(path, mode) : nullptr;
    }
    if (!WritePath(name, path, sizeof path)) return nullptr;
    return fopen(path, mode);
}

namespace {

int ReplaceFile(const char* name, const void* data, size_t size, bool synced)
{
    if (!name || (!data && size > 0)) return 0;
    char path[4096];
    char temp[4096 + 8];
    if (!WritePath(name, path, sizeof path)) return 0;
    snprintf(temp, sizeof temp, "%s.tmp", path);
    int fd = open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return 0;
    int ok = WriteAll(fd, data, size) && (!synced || fsync(fd) == 0);
    if (close(fd) != 0) ok = 0;
    if (ok && rename(temp, path) != 0) ok = 0;
    if (!ok) {
        int reason = errno;   // callers report why; the clean-up must not change it
        unlink(temp);
        errno = reason;
        return 0;
    }
    if (synced) SyncFolderOf(path);
    return 1;
}

}  // namespace

int SysReplaceFile(const char* name, const void* data, size_t size)
{
    return ReplaceFile(name, data, size, true);
}

int SysReplaceFileUnsynced(const char* name, const void* data, size_t size)
{
    return ReplaceFile(name, data, size, false);
}

int SysMakeFolder(const char* name)
{
    char path[4096];
    if (!name || !WritePath(name, path, sizeof path)) return 0;
    if (mkdir(path, 0755) == 0) return 1;
    struct stat info;
    return errno == EEXIST && stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

int SysLockFile(const char* name)
{
    char path[4096];
    if (!name || !WritePath(name, path, sizeof path)) return -2;
    int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A lock file left by a run with other rights may still be readable.
    if (fd < 0) fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -2;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
    int reason = errno;
    close(fd);
    errno = reason;
    return reason == EWOULDBLOCK ? -1 : -2;
}

void SysUnlockFile(int handle)
{
    if (handle >= 0) close(handle);
}

int SysIsFolder(const char* path)
{
    struct stat info;
    return path && stat(path, &info) == 0 && S_ISDIR(info.st_mode) ? 1 : 0;
}

int SysIsFile(const char* path)
{
    struct stat info;
    return path && stat(path, &info) == 0 && S_ISREG(info.st_mode) ? 1 : 0;
}

SysFileStamp SysStampOf(const char* name)
{
    SysFileStamp stamp = {};
    char path[4096];
    struct stat info;
    if (!name || !SysResolvePath(name, path, sizeof path) || stat(path, &info) != 0) return stamp;
    stamp.modifiedNs = int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.changedNs = int64_t(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    stamp.size = int64_t(info.st_size);
    stamp.inode = uint64_t(info.st_ino);
    stamp.exists = 1;
    return stamp;
}

bool SysSameStamp(const SysFileStamp& a, const SysFileStamp& b)
{
    return a.modifiedNs == b.modifiedNs && a.changedNs == b.changedNs && a.size == b.size &&
           a.inode == b.inode && a.exists == b.exists;
}

int SysListFolder(const char* folder, std::vector<std::string>* names)
{
    names->clear();
    DIR* dir = opendir(folder);
    if (!dir) return 0;
    while (struct dirent* entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            names->push_back(entry->d_name);
    }
    closedir(dir);
    std::sort(names->begin(), names->end());
    return 1;
}

namespace {

// The whole of `from` into the open file `to`.
int CopyInto(const char* from, int to)
{
    int in = open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0) return 0;
    char buffer[65536];
    ssize_t got;
    int ok = 1;
    while (ok && (got = read(in, buffer, sizeof buffer)) != 0) {
        if (got < 0 && errno == EINTR) continue;
        ok = got > 0 && WriteAll(to, buffer, (size_t)got);
    }
    int reason = errno;
    close(in);
    errno = reason;
    return ok;
}

}  // namespace

// The bytes go to a temporary file first and are linked under the new name,
// which fails rather than replace anything that appeared meanwhile.
int SysCopyNewFile(const char* from, const char* to)
{
    if (!from || !to) return 0;
    struct stat info;
    if (lstat(to, &info) == 0) { errno = EEXIST; return 0; }
    std::string temp = std::string(to) + ".tmp";
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return 0;
    int ok = CopyInto(from, fd) && fsync(fd) == 0;
    if (close(fd) != 0) ok = 0;
    if (ok && link(temp.c_str(), to) != 0) ok = 0;
    int reason = errno;
    unlink(temp.c_str());
    errno = reason;
    if (ok) SyncFolderOf(to);
    return ok;
}
