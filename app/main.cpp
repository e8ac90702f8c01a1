// VAveze: lists every text of a Zv_cad drawing or symbol file.
#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include "app/Unit1.h"

int main(int argc, char* argv[])
{
    // The window is laid out in pixels for 96 dots per inch and is not
    // rescaled for the screen, unless the user asks for it.
    if (qEnvironmentVariableIsEmpty("QT_ENABLE_HIGHDPI_SCALING") && qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(vaveze::kApplicationTitle));
    QApplication::setApplicationVersion(QStringLiteral(VAVEZE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("vaveze"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vaveze/vaveze.png")));

    // Qt's own texts (dialog buttons, the overwrite question) in the user's
    // language when the translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    vaveze::QtDialogs dialogs;
    vaveze::TForm1 form(dialogs);
    form.show();

    // A file handed over by the desktop (opening a drawing with this
    // program) is extracted as if it had been dropped on the window.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() == 2 && QFileInfo(arguments.at(1)).isFile()) {
        const QString path = QFileInfo(arguments.at(1)).absoluteFilePath();
        QTimer::singleShot(0, &form, [&form, path] { form.ExtractFile(path); });
    }
    return QApplication::exec();
}
