// "sprite.ini": "PLANE_NUM:[n]" on the first line, then one
// "TEXTURE:[[file]][columns][rows]" line per sheet, optionally followed by
// "[cells]" for a lettered row laid out from its sheet. A picture that fails
// keeps its number as an empty slot, said once in a message box when the
// sheet is first used.
#include "render/sprite_sheets.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/text_reader.h"
#include "data/texts.h"
#include "platform/files.h"
#include "platform/sys.h"
#include "render/device.h"
#include "render/sprites.h"

int32_t sheetCount;
SpriteSheet* sheets;
int32_t sheetsLanguage = -1;

namespace {

// The pictures of the list not read yet, by sheet number.
struct WaitingPicture {
    std::u16string name;   // as the TEXTURE line gives it
    bool waiting;          // not read yet
};
std::vector<WaitingPicture> waitingPictures;

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

// The cells a lettered row lays out: the optional fourth value, within the
// grid; 0 without it.
int32_t ReadCellCount(const char16_t* at, const SpriteSheet& sheet)
{
    char16_t value[VALUE_CHARS];
    if (!at || !GetBracketValue(value, at))
        return 0;
    int count = ParseInt(value);
    int grid = sheet.columns * sheet.rows;
    return count <= 0 ? 0 : count < grid ? count : grid;
}

float CellAspect(const SpriteSheet& sheet)
{
    int w = 0, h = 0;
    TextureSize(sheet.texture, &w, &h);
    return w > 0 && h > 0 ? float(w) / sheet.columns / (float(h) / sheet.rows) : 1.0f;
}

// The picture in the language's folder, else the one the line names.
Texture* LoadSheetPicture(const char16_t* name)
{
    char nameUtf8[1024], inLanguage[1100];
    Utf16ToUtf8(name, nameUtf8, sizeof nameUtf8);
    LanguageFileNameIn(sheetsLanguage, nameUtf8, inLanguage, sizeof inLanguage);
    char path[2048];
    SysResolvePath(inLanguage, path, sizeof path);
    Texture* texture = path[0] ? CreateTextureFromFile(path) : nullptr;
    if (!texture) {
        char message[1200];
        snprintf(message, sizeof message, Tr(TEXT_MSG_SHEET_PICTURE), nameUtf8);
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

// The sheet a TEXTURE line names, into the next entry, its picture waiting
// for its first use; false only when the table cannot grow.
bool ReadSheet(const char16_t* at, int32_t* capacity)
{
    char16_t name[VALUE_CHARS];
    at = GetNameValue(name, at);
    if (!MakeRoom(capacity))
        return false;
    SpriteSheet* sheet = &sheets[sheetCount++];
    *sheet = SpriteSheet{};
    sheet->columns = ReadGridCount(&at);
    sheet->rows = ReadGridCount(&at);
    sheet->cells = ReadCellCount(at, *sheet);
    waitingPictures.push_back({name, true});
    return true;
}

void ReadPicture(int32_t index)
{
    SpriteSheet& sheet = sheets[index];
    waitingPictures[size_t(index)].waiting = false;
    sheet.texture = LoadSheetPicture(waitingPictures[size_t(index)].name.c_str());
    sheet.cellAspect = CellAspect(sheet);
}

}  // namespace

int LoadSpriteSheets()
{
    return LoadSpriteSheetsIn(CurrentLanguage());
}

int LoadSpriteSheetsIn(int language)
{
    ReleaseSpriteSheets();
    sheetsLanguage = language;
    char list[64];
    LanguageFileNameIn(language, "sprite.ini", list, sizeof list);
    FILE* file = OpenTextFile(list);
    if (!file) {
        SysErrorBox(Tr(TEXT_MSG_SPRITE_INI));
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
        const char16_t* at = FindText(line, u"TEXTURE:");
        if (at && sheetCount < planned && !ReadSheet(at, &capacity))
            break;
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
    waitingPictures.clear();
}

const SpriteSheet* UseSheet(int32_t index)
{
    if (!sheets || index < 0 || index >= sheetCount)
        return nullptr;
    if (size_t(index) < waitingPictures.size() && waitingPictures[size_t(index)].waiting)
        ReadPicture(index);
    return &sheets[index];
}

void LoadSheetPictures()
{
    for (int32_t i = 0; i < sheetCount; i++)
        UseSheet(i);
}
