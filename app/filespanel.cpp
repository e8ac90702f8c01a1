// The file list beside the pane, rendered from the window flow.
#include "app/filespanel.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

#include "core/session/texts.h"

namespace vaveze {
namespace {

QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QIcon MarkIcon(FileMark mark, const QStyle& style)
{
    switch (mark) {
    case FileMark::Problem:
        return style.standardIcon(QStyle::SP_MessageBoxCritical);
    case FileMark::Partial:
        return style.standardIcon(QStyle::SP_MessageBoxWarning);
    case FileMark::Saved:
        return style.standardIcon(QStyle::SP_DialogSaveButton);
    case FileMark::Listed:
        return style.standardIcon(QStyle::SP_DialogApplyButton);
    case FileMark::None:
        break;
    }
    // Nothing yet, in an icon's room, so that every name starts at one place.
    const int size = style.pixelMetric(QStyle::PM_SmallIconSize);
    QPixmap none(size, size);
    none.fill(Qt::transparent);
    return QIcon(none);
}

}  // namespace

FilesPanel::FilesPanel(QWidget* parent) : QWidget(parent)
{
    Filter = new QLineEdit(this);
    Filter->setPlaceholderText(QString::fromUtf8(Text(WindowText::FilterField)));
    Filter->setAccessibleName(Filter->placeholderText());
    Filter->setClearButtonEnabled(true);
    List = new QListWidget(this);
    List->setAccessibleName(QString::fromUtf8(Text(WindowText::FileList)));
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->setUniformItemSizes(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Filter);
    layout->addWidget(List, 1);

    connect(Filter, &QLineEdit::textChanged, this, &FilesPanel::FilterTyped);
    connect(List, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!quiet_ && row >= 0)
            emit Chosen(static_cast<std::size_t>(row));
    });
}

void FilesPanel::ShowList(const window::WindowFlow& flow)
{
    const QString filter = QString::fromStdU16String(flow.FilterText());
    if (Filter->text() != filter) {
        const QSignalBlocker quiet(Filter);
        Filter->setText(filter);
    }
    const FileList& files = flow.Files();
    quiet_ = true;
    while (List->count() > static_cast<int>(files.Size()))
        delete List->takeItem(List->count() - 1);
    for (std::size_t i = 0; i < files.Size(); ++i) {
        const std::u8string name = EntryName(files[i]).generic_u8string();
        const QString text = QString::fromUtf8(reinterpret_cast<const char*>(name.data()), static_cast<qsizetype>(name.size()));
        if (i < static_cast<std::size_t>(List->count()))
            List->item(static_cast<int>(i))->setText(text);
        else
            List->addItem(text);
        UpdateEntry(flow, i);
    }
    quiet_ = false;
}

void FilesPanel::UpdateEntry(const window::WindowFlow& flow, std::size_t i)
{
    QListWidgetItem* item = List->item(static_cast<int>(i));
    if (item == nullptr || i >= flow.Files().Size())
        return;
    item->setIcon(MarkIcon(MarkOf(flow.Files()[i]), *style()));
    item->setToolTip(Utf8(FileTooltip(flow.Files()[i])));
    // Hidden, not removed: the selection and the marks stay as they are.
    item->setHidden(flow.RowHidden(i));
}

void FilesPanel::Select(std::size_t i)
{
    quiet_ = true;
    List->setCurrentRow(static_cast<int>(i));
    quiet_ = false;
}

}  // namespace vaveze
