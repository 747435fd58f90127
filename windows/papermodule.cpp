// The module's one entry: the paper code, for the program of the same version.
#include "windows/paper.h"

#include <cstring>

extern "C" Q_DECL_EXPORT Paper *kelvora_paper(const char *version)
{
    return version && std::strcmp(version, KELVORA_VERSION) == 0 ? &LinkedPaper() : nullptr;
}
