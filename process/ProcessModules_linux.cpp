#include "process/ProcessModules.h"

#include "base/UserText.h"

#include <fstream>
#include <sstream>

ModuleList ListModules(std::int32_t processId)
{
    ModuleList list;
    const std::string folder = "/proc/" + std::to_string(processId);
    std::ifstream maps(folder + "/maps");
    std::ostringstream text;
    if (!(text << maps.rdbuf())) {
        list.failure = WithValues(UserText("ProcessModules", "The modules of process %1 cannot be listed: it has ended, "
                                                             "or it belongs to another user."),
                                  {std::to_string(processId)});
        return list;
    }
    list.modules = ModulesFromMaps(text.str());
    // The ELF header's class: 1 for 32-bit programs, 2 for 64-bit ones.
    std::ifstream program(folder + "/exe", std::ios::binary);
    char header[5] = {};
    if (program.read(header, sizeof header) && header[4] == 1)
        list.pointerWidth = 4;
    return list;
}
