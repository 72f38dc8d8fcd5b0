#include "tools/common/folder.h"

#include <dirent.h>

#include <cerrno>
#include <cstring>

std::string unreadable_folder(const char* dir)
{
    DIR* d = opendir(dir);
    if (!d)
        return std::string("cannot read this folder: ") + std::strerror(errno);
    closedir(d);
    return "";
}
