#include "support/pack_files.h"

#include <filesystem>
#include <vector>

#include "support/data_files.h"
#include "support/physics_support.h"

std::string FlatMapBytes(int grey, int hill)
{
    std::vector<int> levels(256, grey);
    if (hill > 0)
        for (int y = 6; y < 10; y++)
            for (int x = 6; x < 10; x++) levels[size_t(y) * 16 + x] = hill;
    return ReadBytes(WriteGreyBmp("pack_files_map.bmp", 16, 16, levels));
}

std::string FlatCourseIni(int courses, const std::string& extraLines)
{
    std::string ini = "FIELD_TOTAL:[" + std::to_string(courses) + "]\r\n";
    for (int i = 0; i < courses; i++)
        ini += "FIELD_NUM:[" + std::to_string(i) + "]\r\nFIELD_NAME:[[flat " + std::to_string(i) + "]]\r\n"
               "HEIGHT_MAP:[[field\\map.bmp]] FIELD_TEXTURE:[[field\\map.bmp]] DOCUMENT:[[doc.txt]]\r\n"
               "MAP_HEIGHT:[3] GRID_SIZE:[4]\r\n"
               "START:[0.5,1,0.5] GOAL:[0.1][0.2][0.1][0.2]\r\n";
    return ini + extraLines;
}

void WriteFlatPack(const std::string& folder, int courses, const std::string& extraLines)
{
    std::filesystem::create_directories(folder + "/field");
    WriteBytes(folder + "/field/map.bmp", FlatMapBytes(0));
    WriteBytes(folder + "/doc.txt", "A flat field.\r\n");
    WriteBytes(folder + "/course.ini", FlatCourseIni(courses, extraLines));
}

void WriteFlatGame(const std::string& folder, int courses)
{
    WriteFlatPack(folder, courses);
    WriteBytes(folder + "/sprite.ini", "PLANE_NUM:[0]\r\n");
    WriteBytes(folder + "/def.ini", "GRAVITY:[1][1][1]\r\nBALL_SIZE:[3]\r\n");
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}
