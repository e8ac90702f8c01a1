#include "app/startup.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include "core/session/texts.h"

namespace vaveze {
namespace {

QString WithSlash(const QString& folder) { return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'); }

// Folders that the system or a package manager owns, where browsing for
// drawings makes no sense; the user may still be allowed to write there
// (root, an administrator).
QStringList SystemFolders()
{
#ifdef Q_OS_WIN
    QStringList folders;
    for (const char* variable : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "SystemRoot"}) {
        const QString folder = qEnvironmentVariable(variable);
        if (!folder.isEmpty())
            folders += QDir::fromNativeSeparators(folder);
    }
    return folders;
#else
    return {QStringLiteral("/usr"), QStringLiteral("/opt"), QStringLiteral("/bin"), QStringLiteral("/sbin"),
            QStringLiteral("/lib"), QStringLiteral("/snap")};
#endif
}

bool IsSystemFolder(const QString& folder)
{
#ifdef Q_OS_WIN
    constexpr Qt::CaseSensitivity kCase = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity kCase = Qt::CaseSensitive;
#endif
    for (const QString& system : SystemFolders()) {
        const QString root = QDir::cleanPath(system);
        if (folder.compare(root, kCase) == 0 || folder.startsWith(WithSlash(root), kCase))
            return true;
    }
    return false;
}

// A program run from where CMake built it, or from a folder of the build.
bool IsBuildFolder(const QString& folder)
{
    const QDir dir(folder);
    return dir.exists(QStringLiteral("CMakeCache.txt")) || QFileInfo::exists(dir.filePath(QStringLiteral("../CMakeCache.txt")));
}

QString DocumentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return WithSlash(documents);
    return WithSlash(QDir::homePath());
}

}  // namespace

StartRequest ReadCommandLine(const std::vector<std::string>& arguments)
{
    StartRequest request;
    bool options = true;
    for (const std::string& argument : arguments) {
        if (options && argument == "--") {
            options = false;
        } else if (options && argument == "--help") {
            return {StartRequest::Kind::Help, {}};
        } else if (options && argument == "--version") {
            return {StartRequest::Kind::Version, {}};
        } else {
            request.Files.push_back(argument);
        }
    }
    return request;
}

std::string StartAnswer(StartRequest::Kind what)
{
    switch (what) {
    case StartRequest::Kind::Help:
        return WindowUsage("vaveze");
    case StartRequest::Kind::Version:
        return "vaveze (VAveze) " VAVEZE_VERSION "\n";
    case StartRequest::Kind::Window:
        break;
    }
    return {};
}

QString FirstOpenFolder(const QString& executableFolder)
{
    const QString folder = QDir::cleanPath(QDir::fromNativeSeparators(executableFolder));
    const QFileInfo info(folder);
    if (info.isDir() && info.isWritable() && !IsSystemFolder(folder) && !IsBuildFolder(folder))
        return WithSlash(folder);
    return DocumentsFolder();
}

}  // namespace vaveze
