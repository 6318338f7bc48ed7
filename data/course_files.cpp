#include "data/course_files.h"

#include "data/course_list.h"
#include "data/course_packs.h"
#include "data/text_reader.h"
#include "platform/paths.h"

namespace {

// A name from course.ini, relative to the course's folder unless absolute.
std::string InFolder(const std::string& folder, const char16_t* name)
{
    char utf8[1024];
    Utf16ToUtf8(name, utf8, sizeof utf8);
    return utf8[0] == '/' ? std::string(utf8) : folder + utf8;
}

std::vector<std::string> FilesOf(int course)
{
    if (course < 0 || course >= courseList.courseCount || !courseList.courses) return {};
    const CoursePack* pack = PackOfCourse(course);
    std::string folder = pack ? pack->folder : SysGameFolder();
    const CourseDef& c = courseList.courses[course];
    std::vector<std::string> files = {folder + "course.ini"};
    // A name left out would stand for the folder itself, which every save changes.
    for (const char16_t* name : {c.HEIGHT_MAP, c.FIELD_TEXTURE, c.DOCUMENT})
        if (name[0]) files.push_back(InFolder(folder, name));
    return files;
}

std::vector<SysFileStamp> Stamps(const std::vector<std::string>& files)
{
    std::vector<SysFileStamp> stamps;
    for (const std::string& file : files) stamps.push_back(SysStampOf(file.c_str()));
    return stamps;
}

bool Same(const std::vector<SysFileStamp>& a, const std::vector<SysFileStamp>& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++)
        if (!SysSameStamp(a[i], b[i])) return false;
    return true;
}

}  // namespace

void WatchCourse(CourseWatch* watch, int course, uint32_t now)
{
    watch->course = course;
    watch->files = FilesOf(course);
    watch->known = Stamps(watch->files);
    watch->seen = watch->known;
    watch->lastLook = now;
}

int CourseFilesChanged(CourseWatch* watch, uint32_t now, int* listChanged)
{
    if (watch->course < 0 || uint32_t(now - watch->lastLook) < COURSE_WATCH_MS) return 0;
    watch->lastLook = now;
    std::vector<SysFileStamp> stamps = Stamps(watch->files);
    bool still = Same(stamps, watch->seen);
    watch->seen = stamps;
    if (!still || Same(stamps, watch->known)) return 0;
    *listChanged = !SysSameStamp(stamps[0], watch->known[0]);
    watch->known = stamps;
    return 1;
}
