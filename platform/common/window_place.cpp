// Where a kept window may reopen: on a display that is still there, whole,
// never off-screen. Shared by both platforms so it can be tested without a
// desktop.
#include "platform/sys.h"

namespace {

// Keeps one side of the window inside the area: a window that would stick
// out is moved in, one that no longer fits is centred.
int FitSpan(int at, int length, int areaAt, int areaLength)
{
    if (length >= areaLength)
        return areaAt + (areaLength - length) / 2;
    if (at < areaAt)
        return areaAt;
    if (at + length > areaAt + areaLength)
        return areaAt + areaLength - length;
    return at;
}

bool Overlaps(const SysWindowPlace& p, const SysRect& a)
{
    return p.x < a.x + a.width && a.x < p.x + p.width && p.y < a.y + a.height && a.y < p.y + p.height;
}

}  // namespace

SysWindowPlace FitWindowPlace(const SysWindowPlace& kept, const SysRect* areas, int count)
{
    SysWindowPlace place = kept;
    if (count <= 0 || !areas)
        return place;
    bool gone = kept.display < 0 || kept.display >= count;
    if (gone)
        place.display = 0;
    const SysRect& area = areas[place.display];
    if (place.width > area.width)
        place.width = area.width;
    if (place.height > area.height)
        place.height = area.height;
    // A display that is gone (or a window that lies wholly off its own) puts
    // the window in the middle of the display it lands on.
    if (gone || !Overlaps(place, area)) {
        place.x = area.x + (area.width - place.width) / 2;
        place.y = area.y + (area.height - place.height) / 2;
    }
    place.x = FitSpan(place.x, place.width, area.x, area.width);
    place.y = FitSpan(place.y, place.height, area.y, area.height);
    return place;
}
