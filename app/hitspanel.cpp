// The list of hits, rendered from the window flow.
#include "app/hitspanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/session/texts.h"

namespace vaveze {
namespace {

// Where the match is in a row's text.
constexpr int kMatchRole = Qt::UserRole;
constexpr int kTextColumn = 2;

QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Paints the line with its match on the selection's colours, so that the
// eye finds it in a long line.
class MatchDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QPoint match = index.data(kMatchRole).toPoint();
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QString text = item.text;
        item.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget != nullptr ? widget->style() : nullptr;
        if (style == nullptr)
            return QStyledItemDelegate::paint(painter, option, index);
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
        const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget).adjusted(2, 0, -2, 0);
        const QString before = text.left(match.x());
        const QString found = text.mid(match.x(), match.y());
        const QFontMetrics metrics(item.font);
        const int left = room.left() + metrics.horizontalAdvance(before);
        const QRect marked(left, room.top(), metrics.horizontalAdvance(found), room.height());
        painter->save();
        painter->setClipRect(room);
        painter->fillRect(marked, option.palette.brush(QPalette::Highlight));
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(room, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, before);
        painter->setPen(option.palette.color(QPalette::HighlightedText));
        painter->drawText(marked, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, found);
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(room.adjusted(marked.right() + 1 - room.left(), 0, 0, 0),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text.mid(match.x() + match.y()));
        painter->restore();
    }
};

}  // namespace

HitsPanel::HitsPanel(QWidget* parent) : QWidget(parent)
{
    List = new QTreeWidget(this);
    List->setAccessibleName(QString::fromUtf8(Text(WindowText::HitList)));
    List->setRootIsDecorated(false);
    List->setUniformRowHeights(true);
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->setHeaderLabels(QString::fromUtf8(Text(WindowText::HitColumns)).split(QLatin1Char('|')));
    List->header()->setStretchLastSection(true);
    List->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    List->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    List->setItemDelegateForColumn(kTextColumn, new MatchDelegate(List));
    Progress = new QProgressBar(this);
    StopButton = new QPushButton(QString::fromUtf8(Text(WindowText::StopButton)), this);
    Progress->hide();
    StopButton->hide();

    auto* running = new QHBoxLayout;
    running->setContentsMargins(0, 0, 0, 0);
    running->addWidget(Progress, 1);
    running->addWidget(StopButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(List, 1);
    layout->addLayout(running);

    const auto choose = [this](QTreeWidgetItem* item) {
        const int row = List->indexOfTopLevelItem(item);
        if (row >= 0)
            emit Chosen(static_cast<std::size_t>(row));
    };
    connect(List, &QTreeWidget::itemClicked, this, choose);
    connect(List, &QTreeWidget::itemActivated, this, choose);
}

void HitsPanel::ShowHits(const window::WindowFlow& flow)
{
    if (search_ != flow.SearchNumber()) {
        search_ = flow.SearchNumber();
        List->clear();
    }
    const std::vector<window::Hit>& hits = flow.Hits();
    QList<QTreeWidgetItem*> rows;
    for (std::size_t i = static_cast<std::size_t>(List->topLevelItemCount()); i < hits.size(); ++i) {
        const window::Hit& hit = hits[i];
        const ListedFile& file = flow.Files()[hit.Entry];
        const std::u8string name = EntryName(file).generic_u8string();
        auto* row = new QTreeWidgetItem;
        row->setText(0, QString::fromUtf8(reinterpret_cast<const char*>(name.data()), static_cast<qsizetype>(name.size())));
        row->setToolTip(0, Utf8(PathUtf8(file.Where.Path)));
        row->setText(1, QString::number(hit.Line));
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        row->setText(kTextColumn, QString::fromStdU16String(hit.Text));
        row->setData(kTextColumn, kMatchRole,
                     QPoint(static_cast<int>(hit.Position), static_cast<int>(hit.Length)));
        rows.push_back(row);
    }
    if (!rows.isEmpty())
        List->addTopLevelItems(rows);
    const window::SearchProgress progress = flow.HitsProgress();
    Progress->setRange(0, static_cast<int>(progress.Count));
    Progress->setValue(static_cast<int>(progress.Done));
    Progress->setVisible(progress.Running);
    StopButton->setVisible(progress.Running);
}

}  // namespace vaveze
