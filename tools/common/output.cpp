#include "tools/common/output.h"

#include <cerrno>
#include <cstring>

bool finish_output(FILE* file, const char* tool, const char* name)
{
    bool written = std::fflush(file) == 0 && !std::ferror(file);
    int reason = written ? 0 : errno;
    if (file != stdout && std::fclose(file) != 0 && written)
        written = false, reason = errno;
    if (!written)
        std::fprintf(stderr, "%s: cannot write %s: %s\n", tool, name, std::strerror(reason ? reason : EIO));
    return written;
}
