#include "core/session/texts.h"

namespace vaveze {

std::string_view WarningText(WarningKind warning)
{
    switch (warning) {
    case WarningKind::NotZvw:
        return "このファイルは、Zv_cad for Windows(Ver2.20～)図面ファイルではありません。";
    case WarningKind::NotZvs:
        return "このファイルは、Zv_cad for Windows 図形ファイルではありません。";
    case WarningKind::None:
        break;
    }
    return {};
}

}  // namespace vaveze
