// The file list beside the pane, rendered from the window flow.
#include "app/filespanel.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "core/session/texts.h"

namespace vaveze {
namespace {

QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QString FromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.generic_u8string();
    return QString::fromUtf8(reinterpret_cast<const char*>(text.data()), static_cast<qsizetype>(text.size()));
}

}  // namespace

// A row: the file name, then its folder, greyed. When any row has a
// folder, each row is two lines, the name above and the folder below, so
// that a narrow list still tells two files of one name apart; what does not
// fit is cut off the folder's start and the name's end.
class EntryDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool TwoLines = false;

    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (TwoLines)
            size.rheight() += option.fontMetrics.lineSpacing();
        return size;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem item(option);
        initStyleOption(&item, index);
        const QString name = item.text;
        const QString folder = index.data(FilesPanel::FolderRole).toString();
        item.text.clear();
        const QStyle* style = item.widget != nullptr ? item.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);

        const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget).adjusted(2, 0, -2, 0);
        const bool selected = (item.state & QStyle::State_Selected) != 0;
        const QPalette::ColorGroup group = (item.state & QStyle::State_Enabled) != 0 ? QPalette::Normal : QPalette::Disabled;
        const QColor text = item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
        QColor grey = selected ? text : item.palette.color(group, QPalette::PlaceholderText);
        if (selected)
            grey.setAlphaF(0.7F);

        painter->save();
        painter->setFont(item.font);
        const QFontMetrics& metrics = item.fontMetrics;
        QRect nameRoom = room;
        QRect folderRoom;
        if (TwoLines) {
            const int middle = room.top() + room.height() / 2;
            nameRoom.setBottom(middle);
            folderRoom = room.adjusted(metrics.averageCharWidth(), middle - room.top(), 0, 0);
        }
        const QString shownName = metrics.elidedText(name, Qt::ElideRight, nameRoom.width());
        painter->setPen(text);
        painter->drawText(nameRoom, Qt::AlignLeft | Qt::AlignVCenter, shownName);
        if (!TwoLines)
            folderRoom = room.adjusted(metrics.horizontalAdvance(shownName) + metrics.averageCharWidth() * 2, 0, 0, 0);
        if (!folder.isEmpty() && folderRoom.width() > 0) {
            painter->setPen(grey);
            painter->drawText(folderRoom, Qt::AlignLeft | Qt::AlignVCenter,
                              metrics.elidedText(folder, Qt::ElideLeft, folderRoom.width()));
        }
        painter->restore();
    }
};

namespace {

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
    delegate_ = new EntryDelegate(List);
    List->setItemDelegate(delegate_);

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
    bool folders = false;
    for (std::size_t i = 0; i < files.Size(); ++i) {
        const EntryLabel label = EntryLabelOf(files[i]);
        folders = folders || !label.Folder.empty();
        if (i >= static_cast<std::size_t>(List->count()))
            List->addItem(QString());
        QListWidgetItem* item = List->item(static_cast<int>(i));
        item->setText(FromPath(label.Name));
        item->setData(FolderRole, FromPath(label.Folder));
        UpdateEntry(flow, i);
    }
    if (delegate_->TwoLines != folders) {
        delegate_->TwoLines = folders;
        List->doItemsLayout();  // every row's height anew
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
