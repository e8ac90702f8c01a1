// Writes the sample drawing and symbol file: make_win_samples <folder>.
#include <cstdio>
#include <fstream>
#include <string>

#include "tests/win/win_samples.h"

namespace {

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : "samples";
    using namespace vaveze::winwriter;
    const bool ok = WriteFile(folder + "/plan.zvw", WriteZvw(SamplePlan())) &&
                    WriteFile(folder + "/symbol.zvs", WriteZvs(SampleSymbol()));
    return ok ? 0 : 1;
}
