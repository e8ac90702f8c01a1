#include "core/writing/FileWriting.h"

namespace vaveze {

int SaveBytes(const std::filesystem::path& target, std::string_view bytes)
{
    PendingFile file(target);
    int error = file.Error();
    if (error == 0)
        error = WriteAll(file.Descriptor(), bytes);
    if (error == 0)
        error = file.FlushToDisk();
    if (error == 0)
        error = file.Commit();
    return error;
}

}  // namespace vaveze
