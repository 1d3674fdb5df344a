#include "programs/map2bmp/ExportPlan.h"

std::string OutputKey(const std::filesystem::path& picture)
{
    return LowerAscii(picture.lexically_normal().u8string());
}
