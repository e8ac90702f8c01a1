// VAveze: lists every text of a Zv_cad drawing or symbol file.
#include <cstdio>
#include <string>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

#include "app/Unit1.h"
#include "core/session/faults.h"
#include "core/session/texts.h"
#include "core/window/startup.h"

namespace {

std::vector<std::string> Arguments(int argc, char* argv[])
{
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

// The last guard, at the event dispatch: a fault the window's own guard
// (every action of the flow) did not catch is told in a box, and the event
// is taken as not handled; the program goes on answering.
class GuardedApplication final : public QApplication {
public:
    GuardedApplication(int& argc, char** argv, vaveze::Dialogs& dialogs) : QApplication(argc, argv), dialogs_(dialogs) {}

    bool notify(QObject* receiver, QEvent* event) override
    {
        return vaveze::Guarded([&] { return QApplication::notify(receiver, event); },
                               [&](const vaveze::Fault& fault) noexcept {
                                   try {
                                       dialogs_.ShowMessage(activeWindow(), vaveze::MessageKind::Error,
                                                            applicationName(),
                                                            QString::fromStdString(vaveze::FaultMessage(fault)));
                                   } catch (...) {
                                       // Not even the box: the event is dropped all the same.
                                   }
                                   return false;
                               });
    }

private:
    vaveze::Dialogs& dialogs_;
};

}  // namespace

int main(int argc, char* argv[])
{
    // --help and --version answer before anything needs a display.
    if (const vaveze::window::StartRequest request = vaveze::window::ReadCommandLine(Arguments(argc, argv));
        request.What != vaveze::window::StartRequest::Kind::Window) {
        std::fputs(vaveze::window::StartAnswer(request.What).c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    // The window is laid out in pixels for 96 dots per inch and is not
    // rescaled for the screen, unless the user asks for it.
    if (qEnvironmentVariableIsEmpty("QT_ENABLE_HIGHDPI_SCALING") && qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");

    vaveze::QtDialogs dialogs;
    GuardedApplication app(argc, argv, dialogs);
    QApplication::setApplicationName(QString::fromUtf8(vaveze::kApplicationTitle.data(), vaveze::kApplicationTitle.size()));
    QApplication::setApplicationVersion(QStringLiteral(VAVEZE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("vaveze"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vaveze/vaveze.png")));
    vaveze::InstallJapaneseQtTexts();

    vaveze::TForm1 form(dialogs);
    form.show();

    // Files handed over by the desktop (opening drawings with this program)
    // are extracted as if they had been dropped on the window: several
    // become the file list. Names are taken as bytes: they need not be
    // valid UTF-8. (QApplication has taken its own options out of argv.)
    const std::vector<std::string> files = vaveze::window::ReadCommandLine(Arguments(argc, argv)).Files;
    if (!files.empty()) {
        QList<QByteArray> paths;
        for (const std::string& file : files) {
            QByteArray path = QByteArray::fromStdString(file);
            if (!QDir::isAbsolutePath(QFile::decodeName(path)))
                path = QFile::encodeName(QDir::currentPath()) + '/' + path;
            paths.push_back(path);
        }
        QTimer::singleShot(0, &form, [&form, paths] { form.ExtractNativeFiles(paths); });
    }
    return QApplication::exec();
}
