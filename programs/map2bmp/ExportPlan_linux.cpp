#include "programs/map2bmp/ExportPlan.h"

std::string OutputKey(const std::filesystem::path& picture)
{
    return picture.lexically_normal().native();
}
