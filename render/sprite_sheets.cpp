// "sprite.ini": "PLANE_NUM:[n]" on the first line, then one
// "TEXTURE:[[file]][columns][rows]" line per sheet. A picture that fails
// takes no number, so the sheets after it move down by one.
#include "render/sprite_sheets.h"

#include <cstdio>
#include <cstdlib>

#include "data/text_reader.h"
#include "platform/files.h"
#include "platform/sys.h"
#include "render/device.h"
#include "render/sprites.h"

int32_t sheetCount;
SpriteSheet* sheets;

namespace {

// Size of the table the first line asks for; 0 without "PLANE_NUM:" and for
// a count below 0.
int32_t PlannedSheets(const char16_t* line)
{
    const char16_t* at = FindText(line, u"PLANE_NUM:");
    if (!at) return 0;
    char16_t value[VALUE_CHARS];
    GetBracketValue(value, at);
    int count = ParseInt(value);
    return count > 0 ? count : 0;
}

// A grid count of 0, or one that is missing, means a single cell; so does a
// negative one, which would otherwise turn cell arithmetic upside down.
int32_t ReadGridCount(const char16_t** at)
{
    char16_t value[VALUE_CHARS];
    *at = GetBracketValue(value, *at);
    int count = ParseInt(value);
    return count > 0 ? count : 1;
}

Texture* LoadSheetPicture(const char16_t* name)
{
    char nameUtf8[1024];
    Utf16ToUtf8(name, nameUtf8, sizeof nameUtf8);
    char path[2048];
    SysResolvePath(nameUtf8, path, sizeof path);
    Texture* texture = path[0] ? CreateTextureFromFile(path) : nullptr;
    if (!texture) {
        char message[1200];
        snprintf(message, sizeof message,
                 "テクスチャファイルの読み込みに失敗しました。\nファイル名：'%s'", nameUtf8);
        SysErrorBox(message);
    }
    return texture;
}

// Room for one more sheet. The table grows with the pictures that really
// load, so a huge PLANE_NUM costs nothing by itself.
bool MakeRoom(int32_t* capacity)
{
    if (sheetCount < *capacity) return true;
    int32_t grown = *capacity ? *capacity * 2 : 16;
    SpriteSheet* table = (SpriteSheet*)realloc(sheets, (size_t)grown * sizeof(SpriteSheet));
    if (!table) return false;
    sheets = table;
    *capacity = grown;
    return true;
}

// Loads the sheet a TEXTURE line names into the next free entry; false when
// its picture fails.
bool ReadSheet(const char16_t* at, int32_t* capacity)
{
    char16_t name[VALUE_CHARS];
    at = GetNameValue(name, at);
    Texture* texture = LoadSheetPicture(name);
    if (!texture) return false;
    if (!MakeRoom(capacity)) {
        ReleaseTexture(texture);
        return false;
    }
    SpriteSheet* sheet = &sheets[sheetCount++];
    sheet->texture = texture;
    sheet->columns = ReadGridCount(&at);
    sheet->rows = ReadGridCount(&at);
    return true;
}

}  // namespace

int LoadSpriteSheets()
{
    ReleaseSpriteSheets();
    FILE* file = OpenTextFile("sprite.ini");
    if (!file) {
        SysErrorBox("テクスチャの設定ファイル'sprite.ini'が読み込めませんでした。");
        return 0;
    }
    char16_t line[SETTING_LINE_CHARS + 1];
    bool firstLine = true;
    int32_t planned = 0;     // sheets the first line asks for
    int32_t capacity = 0;    // entries allocated in sheets
    while (ReadTextLine(file, line, SETTING_LINE_CHARS) != 0) {
        CutAtHash(line);
        if (firstLine) {
            planned = PlannedSheets(line);
            firstLine = false;
            continue;
        }
        // A failed picture takes no number but still counts against
        // PLANE_NUM, so the planned count drops with it.
        const char16_t* at = FindText(line, u"TEXTURE:");
        if (at && sheetCount < planned && !ReadSheet(at, &capacity)) planned--;
    }
    fclose(file);
    return 1;
}

void ReleaseSpriteSheets()
{
    ForgetKeptSprites();
    for (int32_t i = 0; i < sheetCount; i++)
        if (sheets[i].texture) ReleaseTexture(sheets[i].texture);
    free(sheets);
    sheets = nullptr;
    sheetCount = 0;
}
