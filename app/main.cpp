// VAveze: lists every text of a Zv_cad drawing or symbol file.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

#include "app/Unit1.h"

int main(int argc, char* argv[])
{
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
    // program) is extracted as if it had been dropped on the window. The
    // name is taken as bytes: it need not be valid UTF-8. (QApplication
    // has taken its own options out of argv.)
    if (argc == 2) {
        QByteArray path(argv[1]);
        if (!path.startsWith('/'))
            path = QFile::encodeName(QDir::currentPath()) + '/' + path;
        QTimer::singleShot(0, &form, [&form, path] { form.ExtractNativeFile(path); });
    }
    return QApplication::exec();
}
