#include "app/filespanel.h"

#include <exception>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

#include "core/session/find.h"
#include "core/session/session.h"
#include "core/session/texts.h"

namespace vaveze {
namespace {

// The filter waits this long after the last key: each pass reads the files.
constexpr int kTypingPauseMs = 300;

QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QString EntryText(const ListedFile& file)
{
    const std::u8string name = EntryName(file).generic_u8string();
    return QString::fromUtf8(reinterpret_cast<const char*>(name.data()), static_cast<qsizetype>(name.size()));
}

QIcon StateIcon(const ListedFile& file, const QStyle& style)
{
    switch (MarkOf(file)) {
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

    typing_.setSingleShot(true);
    typing_.setInterval(kTypingPauseMs);
    step_.setInterval(0);
    connect(&typing_, &QTimer::timeout, this, &FilesPanel::StartFilter);
    connect(&step_, &QTimer::timeout, this, &FilesPanel::FilterStep);
    connect(Filter, &QLineEdit::textChanged, this, [this] { typing_.start(); });
    connect(List, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!quiet_ && row >= 0)
            emit Chosen(static_cast<std::size_t>(row));
    });
}

void FilesPanel::Attach(FileList& files, const Session& shown, std::function<ListingOptions()> options)
{
    files_ = &files;
    shown_ = &shown;
    options_ = std::move(options);
}

void FilesPanel::ShowList(const FileList& files)
{
    step_.stop();
    typing_.stop();
    filterNext_ = filterCount_ = 0;
    {
        const QSignalBlocker quiet(Filter);
        Filter->clear();
    }
    quiet_ = true;
    List->clear();
    for (std::size_t i = 0; i < files.Size(); ++i)
        List->addItem(EntryText(files[i]));
    quiet_ = false;
    for (std::size_t i = 0; i < files.Size(); ++i)
        UpdateEntry(i);
}

void FilesPanel::UpdateEntry(std::size_t i)
{
    if (files_ == nullptr || i >= files_->Size())
        return;
    QListWidgetItem* item = List->item(static_cast<int>(i));
    if (item == nullptr)
        return;
    item->setIcon(StateIcon((*files_)[i], *style()));
    item->setToolTip(Utf8(FileTooltip((*files_)[i])));
}

void FilesPanel::Select(std::size_t i)
{
    quiet_ = true;
    List->setCurrentRow(static_cast<int>(i));
    quiet_ = false;
}

std::u16string FilesPanel::Needle() const { return Filter->text().toStdU16String(); }

void FilesPanel::Refilter()
{
    if (!Filter->text().isEmpty())
        StartFilter();
}

void FilesPanel::StartFilter()
{
    step_.stop();
    needle_ = Needle();
    holding_ = 0;
    filterNext_ = 0;
    filterCount_ = needle_.empty() || files_ == nullptr ? 0 : files_->Size();
    if (filterCount_ == 0) {
        for (int row = 0; row < List->count(); ++row)
            List->item(row)->setHidden(false);
        return;
    }
    step_.start();
}

// One file per turn: the window answers while the files are read.
void FilesPanel::FilterStep()
{
    if (filterNext_ >= filterCount_ || files_ == nullptr || filterCount_ != files_->Size()) {
        step_.stop();
        return;
    }
    const std::size_t i = filterNext_++;
    const ListedFile& file = (*files_)[i];
    const ListingOptions options = options_ ? options_() : ListingOptions{};
    bool holds = false;
    try {
        if (shown_ != nullptr && shown_->HasListing() && shown_->Shown().Path == file.Where.Path) {
            holds = ListingHolds(*shown_, options, needle_);
        } else if (file.Where.WalkProblem.empty()) {
            Session scratch;
            files_->Record(i, scratch.Open(file.Where.Path));
            holds = ListingHolds(scratch, options, needle_);
            UpdateEntry(i);
        }
    } catch (const std::exception&) {
        holds = false;  // no memory for this file's listing: it is not shown as holding the text
    }
    holding_ += holds ? 1 : 0;
    List->item(static_cast<int>(i))->setHidden(!holds);
    const std::string needle = QString::fromStdU16String(needle_).toStdString();
    if (filterNext_ < filterCount_) {
        emit Says(Utf8(FilteringStatus(needle, filterNext_, filterCount_)));
        return;
    }
    step_.stop();
    emit Says(Utf8(FilteredStatus(needle, holding_, filterCount_)));
}

}  // namespace vaveze
