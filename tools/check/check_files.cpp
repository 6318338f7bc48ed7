// sprite.ini and def.ini: the game's loaders run, and each message they show
// is put on the line that caused it.
#include <cstdio>
#include <string>

#include "tools/check/check.h"
#include "core/game.h"
#include "data/settings.h"
#include "render/shapes.h"
#include "render/sprite_sheets.h"
#include "data/text_reader.h"
#include "data/texts.h"
#include "platform/files.h"

namespace {

// The last cell each sheet's screens draw (running cell numbers included),
// by sheet number; -1 where no screen draws the sheet.
const int kLastCell[] = {1, 1, 4, 6, 2, 2, 1, 1, 0, 1, -1, 3, 3, 12, 1, 0, 4, 11, 5, 5};
const int kSheetsDrawn = sizeof kLastCell / sizeof kLastCell[0];

std::u16string SheetName(const std::u16string& line)
{
    std::u16string text = Uncommented(line);
    const char16_t* at = FindText(text.c_str(), u"TEXTURE:");
    if (!at) return u"";
    char16_t name[VALUE_CHARS];
    GetNameValue(name, at);
    return name;
}

// Line of each TEXTURE entry the loader reads, in file order.
std::vector<int> TextureLines(const TextLines& text)
{
    std::vector<int> lines;
    for (size_t n = 1; n < text.lines.size(); n++)
        if (FindText(Uncommented(text.lines[n]).c_str(), u"TEXTURE:")) lines.push_back(int(n) + 1);
    return lines;
}

// The sheet picture a message names (between its quotes).
std::string NamedFile(const std::string& message)
{
    size_t open = message.find('\'');
    size_t close = message.rfind('\'');
    return open != std::string::npos && close > open ? message.substr(open + 1, close - open - 1) : "";
}

// The fourth value of a TEXTURE line: the cells a lettered row lays out.
int AskedCells(const std::u16string& line)
{
    std::u16string text = Uncommented(line);
    const char16_t* at = FindText(text.c_str(), u"TEXTURE:");
    char16_t value[VALUE_CHARS];
    at = at ? GetNameValue(value, at) : nullptr;
    for (int k = 0; k < 3 && at; k++) at = GetBracketValue(value, at);
    return at ? ParseInt(value) : 0;
}

void CheckSheetCells(const std::string& file, const TextLines& text, const std::vector<int>& sheetLines)
{
    for (int k = 0; k < sheetCount && k < int(sheetLines.size()); k++) {
        int cells = sheets[k].columns * sheets[k].rows;
        int asked = AskedCells(text.lines[sheetLines[k] - 1]);
        if (asked > cells)
            Report(file, sheetLines[k], SEVERITY_WARNING, Say(CHECK_SHEET_LAYOUT, k, asked, cells));
        // A row laid out from its sheet draws the cells it has.
        if (k < kSheetsDrawn && sheets[k].cells == 0 && kLastCell[k] >= cells)
            Report(file, sheetLines[k], SEVERITY_WARNING, Say(CHECK_SHEET_CELLS, k, cells, kLastCell[k]));
    }
}

// The sheets one language plays with, reported under its list's name.
void CheckSheetSet(int language)
{
    char list[64];
    LanguageFileNameIn(language, "sprite.ini", list, sizeof list);
    const std::string file = list;
    TextLines text = ReadLines(list);
    LoadSpriteSheetsIn(language);
    LoadSheetPictures();
    std::vector<std::string> messages = TakeMessages();
    if (!text.opened) {
        for (const std::string& m : messages) Report(file, 0, SEVERITY_ERROR, GameMessage(m));
        return;
    }
    std::vector<int> lines = TextureLines(text);
    // A failed picture keeps its sheet number, empty: its line is the one named.
    for (const std::string& m : messages) {
        std::string name = NamedFile(m);
        int line = 0;
        for (size_t k = 0; k < lines.size() && !line; k++)
            if (Utf8(SheetName(text.lines[lines[k] - 1])) == name)
                line = lines[k];
        Report(file, line, SEVERITY_ERROR, GameMessage(m));
    }
    if (text.lines.empty() || !FindText(Uncommented(text.lines[0]).c_str(), u"PLANE_NUM:"))
        Report(file, 1, SEVERITY_WARNING, Say(CHECK_NO_PLANE_NUM));
    else if (sheetCount < kSheetsDrawn)
        Report(file, 1, SEVERITY_WARNING, Say(CHECK_FEW_SHEETS, sheetCount, kSheetsDrawn - 1));
    if (text.endedAt)
        Report(file, text.endedAt, SEVERITY_WARNING, Say(CHECK_EMPTY_LINE));
    CheckSheetCells(file, text, lines);
    ReleaseSpriteSheets();
}

bool HasFolder(int language)
{
    char path[2048];
    return SysResolvePath(LanguageFolder(language), path, sizeof path) != 0;
}

}  // namespace

// The game folder's own sheets, then those of every language with a folder
// of its own (its list, or its pictures over the game folder's).
void CheckSprites()
{
    bool baseChecked = false;
    for (int language = 0; language < LANGUAGE_COUNT; language++) {
        if (!HasFolder(language)) {
            if (baseChecked) continue;
            baseChecked = true;
        }
        CheckSheetSet(language);
    }
}

namespace {

const char16_t* const kMeshKeys[3] = {u"BOX_MESH:", u"SPHERE_MESH:", u"PILLAR_MESH:"};
const char* const kMeshKeyNames[3] = {"BOX_MESH", "SPHERE_MESH", "PILLAR_MESH"};

// Loads a line's mesh again on its own, so its messages belong to the line.
void CheckMeshLine(const std::u16string& line, int lineNumber, int shape, uint32_t* materials)
{
    const char16_t* at = FindText(line.c_str(), kMeshKeys[shape]);
    if (!at) return;
    char16_t name[VALUE_CHARS];
    GetNameValue(name, at);
    ShapeMesh mesh = {};
    LoadShapeMesh(name, &mesh);
    for (const std::string& m : TakeMessages()) Report("def.ini", lineNumber, SEVERITY_ERROR, GameMessage(m));
    *materials = mesh.mesh ? mesh.materialCount : 0;
    ReleaseShapeMesh(&mesh);
}

// Ball type i is drawn with the sphere mesh's material i.
void CheckBallMaterials(int sphereLine, uint32_t sphereMaterials)
{
    if (!sphereLine || !sphereMaterials) return;
    for (uint32_t type = sphereMaterials; type < 3; type++)
        Report("def.ini", sphereLine, SEVERITY_WARNING, Say(CHECK_BALL_MATERIAL, type, type, sphereMaterials));
}

}  // namespace

void CheckSettings()
{
    TextLines text = ReadLines("def.ini");
    if (!text.opened) {
        Report("def.ini", 0, SEVERITY_ERROR, GameMessage(Tr(TEXT_MSG_DEF_INI)));
        return;
    }
    int keyLine[3] = {};
    uint32_t materials[3] = {};
    for (size_t n = 0; n < text.lines.size(); n++)
        for (int shape = 0; shape < 3; shape++)
            if (FindText(text.lines[n].c_str(), kMeshKeys[shape])) {
                keyLine[shape] = int(n) + 1;
                CheckMeshLine(text.lines[n], int(n) + 1, shape, &materials[shape]);
            }
    for (int shape = 0; shape < 3; shape++)
        if (!keyLine[shape])
            Report("def.ini", 0, SEVERITY_WARNING, Say(CHECK_NO_MESH_LINE, kMeshKeyNames[shape]));
    CheckBallMaterials(keyLine[SHAPE_SPHERE], materials[SHAPE_SPHERE]);
    if (text.endedAt)
        Report("def.ini", text.endedAt, SEVERITY_WARNING, Say(CHECK_EMPTY_LINE));
}
