// VAveze: lists every text of a Zv_cad drawing or symbol file.
#include <cstdio>
#include <string>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

#include "app/Unit1.h"
#include "app/startup.h"

namespace {

std::vector<std::string> Arguments(int argc, char* argv[])
{
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

}  // namespace

int main(int argc, char* argv[])
{
    // --help and --version answer before anything needs a display.
    if (const vaveze::StartRequest request = vaveze::ReadCommandLine(Arguments(argc, argv));
        request.What != vaveze::StartRequest::Kind::Window) {
        std::fputs(vaveze::StartAnswer(request.What).c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    // The window is laid out in pixels for 96 dots per inch and is not
    // rescaled for the screen, unless the user asks for it.
    if (qEnvironmentVariableIsEmpty("QT_ENABLE_HIGHDPI_SCALING") && qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(vaveze::kApplicationTitle.data(), vaveze::kApplicationTitle.size()));
    QApplication::setApplicationVersion(QStringLiteral(VAVEZE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("vaveze"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vaveze/vaveze.png")));
    vaveze::InstallJapaneseQtTexts();

    vaveze::QtDialogs dialogs;
    vaveze::TForm1 form(dialogs);
    form.show();

    // A file handed over by the desktop (opening a drawing with this
    // program) is extracted as if it had been dropped on the window; of
    // several, the first, as with a drop. The name is taken as bytes: it
    // need not be valid UTF-8. (QApplication has taken its own options out
    // of argv.)
    const std::vector<std::string> files = vaveze::ReadCommandLine(Arguments(argc, argv)).Files;
    if (!files.empty()) {
        QByteArray path = QByteArray::fromStdString(files.front());
        if (!QDir::isAbsolutePath(QFile::decodeName(path)))
            path = QFile::encodeName(QDir::currentPath()) + '/' + path;
        const int others = static_cast<int>(files.size() - 1);
        QTimer::singleShot(0, &form, [&form, path, others] { form.ExtractNativeFile(path, others); });
    }
    return QApplication::exec();
}
