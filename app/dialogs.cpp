// Qt's own file dialogs and message boxes, in Japanese.
#include "app/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include "core/session/texts.h"
#include "core/window/flowmessages.h"

namespace vaveze {
namespace {

QString CaseBlindPattern(const QString& pattern)
{
    // "*.*" means every file where these filters come from; here it would
    // hide the files without a dot.
    if (pattern == QLatin1String("*.*"))
        return QStringLiteral("*");
    QString out;
    for (const QChar c : pattern) {
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (c.isLetter() && lower != upper)
            out += QLatin1Char('[') + lower + upper + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

// Prepares a dialog of Qt's own kind with the folder, name and filters.
void SetUp(QFileDialog& dialog, const FileDialogSetup& setup)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The descriptions already name the patterns; the case-blind forms would
    // only clutter the list.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setSizeGripEnabled(true);
    QStringList filters;
    for (const FileFilter& filter : setup.Filters)
        filters += QtNameFilter(filter);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.front());
    dialog.setDirectory(setup.Folder);
    if (!setup.ProposedName.isEmpty())
        dialog.selectFile(setup.ProposedName);
}

std::optional<QString> Run(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    return files.front();
}

}  // namespace

QString QtNameFilter(const FileFilter& filter)
{
    QStringList patterns;
    for (const QString& pattern : filter.Patterns)
        patterns += CaseBlindPattern(pattern);
    return filter.Description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QStringList QtDialogs::ChooseFilesToOpen(QWidget* parent, const FileDialogSetup& setup)
{
    QFileDialog dialog(parent, setup.Title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    SetUp(dialog, setup);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

std::optional<QString> QtDialogs::ChooseFileToSave(QWidget* parent, const FileDialogSetup& setup)
{
    QFileDialog dialog(parent, setup.Title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(setup.DefaultSuffix);
    SetUp(dialog, setup);
    return Run(dialog);
}

void QtDialogs::ShowMessage(QWidget* parent, MessageKind kind, const QString& caption, const QString& text)
{
    const QMessageBox::Icon icon = kind == MessageKind::Warning ? QMessageBox::Warning : QMessageBox::Critical;
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

Reply QtDialogs::Ask(QWidget* parent, const QString& caption, const QString& question,
                     const std::vector<Reply>& replies, Reply byDefault, Reply escape)
{
    QMessageBox box(QMessageBox::Question, caption, question, QMessageBox::NoButton, parent);
    std::vector<std::pair<QAbstractButton*, Reply>> buttons;
    for (const Reply reply : replies) {
        QMessageBox::ButtonRole role = QMessageBox::AcceptRole;
        switch (reply) {
        case Reply::Yes:
            role = QMessageBox::YesRole;
            break;
        case Reply::No:
            role = QMessageBox::NoRole;
            break;
        case Reply::Cancel:
            role = QMessageBox::RejectRole;
            break;
        case Reply::DontSave:
            role = QMessageBox::DestructiveRole;
            break;
        case Reply::Save:
        case Reply::SaveEdits:
            break;
        case Reply::SaveWhole:
            role = QMessageBox::ActionRole;
            break;
        }
        QPushButton* button = box.addButton(QString::fromUtf8(window::ReplyCaption(reply)), role);
        buttons.emplace_back(button, reply);
        if (reply == byDefault)
            box.setDefaultButton(button);
        if (reply == escape)
            box.setEscapeButton(button);
    }
    box.exec();
    for (const auto& [button, reply] : buttons)
        if (box.clickedButton() == button)
            return reply;
    return escape;
}

void QtDialogs::Beep() { QApplication::beep(); }

bool InstallJapaneseQtTexts()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}

}  // namespace vaveze
