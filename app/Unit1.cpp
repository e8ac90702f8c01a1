// The main window: its controls, their layout, and the flow's effects carried out.
#include "app/Unit1.h"

#include <filesystem>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStandardPaths>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "app/filespanel.h"
#include "app/findbar.h"
#include "app/hitspanel.h"
#include "app/statusline.h"
#include "core/session/faults.h"
#include "core/session/texts.h"
#include "core/window/startup.h"
#include "core/window/windowtable.h"

namespace vaveze {
namespace {

namespace fs = std::filesystem;
namespace w = window;
using window::Part;

QRect Place(const w::Box& box) { return {box.Left, box.Top, box.Width, box.Height}; }

const QSize kOuterSize(w::kWindow.Width, w::kWindow.Height);

QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QString Utf8(WindowText text) { return QString::fromUtf8(Text(text)); }

// Filters written as "description|patterns|description|patterns...", the
// patterns of one filter separated by ';'.
QList<FileFilter> FiltersOf(WindowText text)
{
    const QStringList parts = Utf8(text).split(QLatin1Char('|'));
    QList<FileFilter> filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters.push_back({parts[i], parts[i + 1].split(QLatin1Char(';'))});
    return filters;
}

QFont WindowFont()
{
    QFont font;
    QStringList families;
    for (const std::string_view family : w::kFontFamilies)
        families += Utf8(family);
    font.setFamilies(families);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(w::kFontPixels);
    return font;
}

// Shows the wait cursor while the flow reads and lists a file.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// The path of a local file URL as the file system's bytes. Qt decodes file
// names as UTF-8 and replaces what is not; the URL still holds the bytes.
QByteArray NativePath(const QUrl& url)
{
    if (!url.isLocalFile())
        return {};
    if (!url.host().isEmpty())
        return QFile::encodeName(url.toLocalFile());
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

// The file system's path for its bytes; Windows names files in UTF-16.
fs::path FsPath(const QByteArray& nativePath)
{
#ifdef Q_OS_WIN
    return fs::path(QFile::decodeName(nativePath).toStdWString());
#else
    return fs::path(nativePath.toStdString());
#endif
}

// The file system's path as the window shows it, with '/' between folders.
QString FromFsPath(const fs::path& path)
{
#ifdef Q_OS_WIN
    return QDir::fromNativeSeparators(QString::fromStdWString(path.native()));
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

QString WithSlash(const QString& folder) { return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'); }

FileDialogSetup DialogSetup(WindowText title, WindowText filters, const fs::path& folder, const fs::path& name)
{
    FileDialogSetup setup;
    setup.Title = Utf8(title);
    setup.Filters = FiltersOf(filters);
    setup.Folder = WithSlash(FromFsPath(folder));
    setup.ProposedName = FromFsPath(name);
    return setup;
}

// Where the first open dialog starts: the program's folder where it was
// unpacked by hand, else the documents folder (or home).
fs::path FirstOpenFolder()
{
    const QString program = QCoreApplication::applicationDirPath();
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty() || !QFileInfo(documents).isDir())
        documents = QDir::homePath();
    return w::FirstOpenFolder({FsPath(QFile::encodeName(program)), QFileInfo(program).isWritable(),
                               FsPath(QFile::encodeName(documents))});
}

}  // namespace

QList<QByteArray> FilesOfDrop(const QMimeData* data)
{
    QList<QByteArray> files;
    if (data == nullptr || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (const QByteArray path = NativePath(url); !path.isEmpty())
            files.push_back(path);
    return files;
}

TForm1::TForm1(Dialogs& dialogs, std::size_t paneCharacterLimit, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), flow_({w::FileAccess::Core, FirstOpenFolder(), paneCharacterLimit})
{
    setWindowTitle(Utf8(kWindowCaption));
    setWindowIcon(QIcon(QStringLiteral(":/vaveze/vaveze.png")));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);
    setAutoFillBackground(true);
    setFont(WindowFont());
    setAcceptDrops(true);
    CreateControls();
    move(w::kWindow.Left, w::kWindow.Top);
    resize(kOuterSize);
}

TForm1::~TForm1() = default;

void TForm1::CreateControls()
{
    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFixedHeight(w::kPanel1Height);
    // Nothing overlaps or is cut off down to this width.
    Panel1->setMinimumWidth(w::kSmallestClientWidth);
    Button1 = new QPushButton(Utf8(WindowText::OpenButton), Panel1);
    Button1->setGeometry(Place(w::kButton1));
    Edit1 = new QLineEdit(Panel1);
    Edit1->setGeometry(Place(w::kEdit1));
    Edit1->setReadOnly(true);
    Edit1->setAccessibleName(Utf8(WindowText::PathField));
    // Each box's caption says what that box does: the dimension texts for
    // the second, the block section for the third.
    CheckBox1 = new QCheckBox(Utf8(WindowText::HeaderBox), Panel1);
    CheckBox1->setGeometry(Place(w::kCheckBox1));
    CheckBox2 = new QCheckBox(Utf8(WindowText::DimensionsBox), Panel1);
    CheckBox2->setGeometry(Place(w::kCheckBox2));
    CheckBox3 = new QCheckBox(Utf8(WindowText::BlocksBox), Panel1);
    CheckBox3->setGeometry(Place(w::kCheckBox3));
    Button2 = new QPushButton(Utf8(WindowText::SaveButton), Panel1);
    Button2->setGeometry(Place(w::kButton2));
    Button3 = new QPushButton(Utf8(WindowText::SaveAllButton), Panel1);
    Button3->setGeometry(Place(w::kButton3));
    Button3->setToolTip(Button3->text() + QStringLiteral(" (Ctrl+Shift+S)"));
    Button4 = new QPushButton(Utf8(WindowText::SaveTableButton), Panel1);
    Button4->setGeometry(Place(w::kButton4));

    Panel2 = new QLabel(Utf8(WindowText::PaneCaption), this);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setFixedHeight(w::kPanel2Height);
    Panel2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel2->setIndent(w::kCaptionIndent);
    CreateNotice();

    Rows = new QSplitter(Qt::Vertical, this);
    Rows->setChildrenCollapsible(false);
    Split = new QSplitter(Qt::Horizontal, Rows);
    Split->setChildrenCollapsible(false);
    FileListPanel = new FilesPanel(Split);
    FileListPanel->hide();
    RichEdit1 = new QPlainTextEdit(Split);
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setMinimumHeight(w::kPaneMinimumHeight);
    // Tab moves between the controls, as everywhere else in the window.
    RichEdit1->setTabChangesFocus(true);
    RichEdit1->viewport()->installEventFilter(this);
    Split->setStretchFactor(1, 1);
    Hits = new HitsPanel(Rows);
    Hits->hide();
    Rows->setStretchFactor(0, 1);
    Find = new FindBar(*RichEdit1, this);
    CreateBottom();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(Panel2);
    layout->addWidget(NoticeBar);
    layout->addWidget(Rows, 1);
    layout->addWidget(Find);
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(0);
    bottom->addWidget(Status, 1);
    bottom->addWidget(Progress);
    bottom->addWidget(StopButton);
    layout->addLayout(bottom);

    setTabOrder(Button1, Edit1);
    setTabOrder(Edit1, CheckBox1);
    setTabOrder(CheckBox1, CheckBox2);
    setTabOrder(CheckBox2, CheckBox3);
    setTabOrder(CheckBox3, Button2);
    setTabOrder(Button2, Button4);
    setTabOrder(Button4, Button3);
    setTabOrder(Button3, FileListPanel->Filter);
    setTabOrder(FileListPanel->Filter, FileListPanel->List);
    setTabOrder(FileListPanel->List, RichEdit1);
    setTabOrder(RichEdit1, Hits->List);
    setTabOrder(Hits->List, Find->Field);
    ConnectControls();
}

// A partial listing, or a file that could not be listed, is said beside the
// pane, where no ellipsis cuts it off: a warning icon and the text, wrapped.
void TForm1::CreateNotice()
{
    NoticeBar = new QFrame(this);
    NoticeBar->setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    auto* icon = new QLabel(NoticeBar);
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize, iconSize));
    icon->setAlignment(Qt::AlignTop);
    Notice = new QLabel(NoticeBar);
    Notice->setTextFormat(Qt::PlainText);
    Notice->setWordWrap(true);
    Notice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // However long the text, the window keeps its width; the text wraps.
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Minimum);
    policy.setHeightForWidth(true);
    Notice->setSizePolicy(policy);
    NoticeButton = new QPushButton(NoticeBar);
    NoticeButton->hide();
    auto* layout = new QHBoxLayout(NoticeBar);
    layout->setContentsMargins(w::kMargin / 2, w::kMargin / 2, w::kMargin / 2, w::kMargin / 2);
    layout->addWidget(icon);
    layout->addWidget(Notice, 1);
    layout->addWidget(NoticeButton, 0, Qt::AlignTop);
    NoticeBar->hide();
}

void TForm1::CreateBottom()
{
    Status = new StatusLine(this);
    Progress = new QProgressBar(this);
    Progress->setMaximumWidth(w::kButton3.Width + w::kButton2.Width);
    Progress->setMaximumHeight(Status->sizeHint().height());
    Progress->hide();
    StopButton = new QPushButton(Utf8(WindowText::StopButton), this);
    StopButton->setMaximumHeight(Status->sizeHint().height());
    StopButton->hide();
}

void TForm1::ConnectControls()
{
    const std::pair<QCheckBox*, w::Option> boxes[] = {
        {CheckBox1, w::Option::Header}, {CheckBox2, w::Option::Dimensions}, {CheckBox3, w::Option::Blocks}};
    for (const auto& [box, option] : boxes)
        connect(box, &QCheckBox::toggled, this,
                [this, option](bool checked) { Dispatch(w::action::OptionToggled{option, checked}); });
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
    connect(StopButton, &QPushButton::clicked, this, [this] { Dispatch(w::action::StopClicked{}); });
    connect(NoticeButton, &QPushButton::clicked, this, [this] { Dispatch(w::action::NoticeOfferTaken{}); });
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this, &TForm1::Button1Click);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, &TForm1::Button2Click);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this), &QShortcut::activated, this,
            &TForm1::Button3Click);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, &TForm1::OpenFind);
    connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this,
            [this] { Find->isVisible() ? Find->Request(FindDirection::Forward) : OpenFind(); });
    connect(new QShortcut(QKeySequence::FindPrevious, this), &QShortcut::activated, this,
            [this] { Find->isVisible() ? Find->Request(FindDirection::Backward) : OpenFind(); });
    connect(Find, &FindBar::Requested, this, [this](const QString& needle, FindDirection direction, bool asTyped) {
        const QTextCursor cursor = RichEdit1->textCursor();
        const int from = direction == FindDirection::Forward && !asTyped ? cursor.selectionEnd() : cursor.selectionStart();
        Dispatch(w::action::Find{needle.toStdU16String(), direction, static_cast<std::size_t>(from), asTyped, PaneText()});
    });
    connect(FileListPanel, &FilesPanel::Chosen, this, [this](std::size_t i) { Dispatch(w::action::EntryChosen{i}); });
    connect(FileListPanel, &FilesPanel::FilterTyped, this,
            [this](const QString& text) { Dispatch(w::action::FilterTyped{text.toStdU16String()}); });
    connect(FileListPanel->Filter, &QLineEdit::returnPressed, this,
            [this] { Dispatch(w::action::FilterEntered{PaneText()}); });
    connect(Hits, &HitsPanel::Chosen, this, [this](std::size_t i) { Dispatch(w::action::HitChosen{i, PaneText()}); });
    connect(Hits->StopButton, &QPushButton::clicked, this, [this] { Dispatch(w::action::StopSearchClicked{}); });
    connect(RichEdit1->document(), &QTextDocument::contentsChanged, this, [this] { paneTextStale_ = true; });
    connect(RichEdit1->document(), &QTextDocument::modificationChanged, this, [this](bool edited) {
        if (carrying_ == 0)
            Dispatch(w::action::PaneEdited{edited});
    });
    for (std::size_t t = 0; t < timers_.size(); ++t) {
        timers_[t] = new QTimer(this);
        connect(timers_[t], &QTimer::timeout, this, [this, t] {
            Dispatch(w::action::TimerFired{static_cast<w::Timer>(t), lastPieceNanoseconds_});
        });
    }
    Panel1->installEventFilter(this);
}

// The path field and the save button follow the window's width from their
// designed places; narrower than designed, the field shrinks and the button
// stays where it was designed.
void TForm1::LayOutPanel1()
{
    const int frameWidth = frameGeometry().width() - geometry().width();
    const int growth = Panel1->width() - (kOuterSize.width() - frameWidth);
    const int buttonLeft = w::kButton2.Left + qMax(growth, 0);
    const int right = qMin(w::kEdit1.Right() - 1 + growth, buttonLeft + w::kButton2.Width - 1);
    Edit1->setGeometry(w::kEdit1.Left, w::kEdit1.Top, right - w::kEdit1.Left + 1, w::kEdit1.Height);
    Button2->move(buttonLeft, w::kButton2.Top);
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    FormShow();
}

// The window manager adds its frame only once the window is mapped.
void TForm1::FormShow() { QTimer::singleShot(0, this, &TForm1::FitOuterSize); }

void TForm1::FitOuterSize()
{
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame != QSize(0, 0))
        resize(kOuterSize - frame);
    LayOutPanel1();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (!closing_)
        Dispatch(w::action::CloseRequested{HoldsEdits() ? std::u16string_view(PaneText()) : std::u16string_view()});
    event->setAccepted(closing_);
}

// The find field starts from the selection within a line, the filter's
// text or the last needle, as the flow has it.
void TForm1::OpenFind()
{
    const std::u16string selection = RichEdit1->textCursor().selectedText().toStdU16String();
    const std::u16string_view start = flow_.FindStart(selection);
    Find->Open(QString::fromUtf16(start.data(), static_cast<qsizetype>(start.size())));
}

void TForm1::FormClose() { closing_ = true; }

void TForm1::Button1Click() { Dispatch(w::action::OpenClicked{}); }

void TForm1::Button2Click() { Dispatch(w::action::SaveClicked{PaneText()}); }

void TForm1::Button3Click() { Dispatch(w::action::SaveAllClicked{}); }

void TForm1::Button4Click() { Dispatch(w::action::SaveTableClicked{}); }

void TForm1::ExtractNativeFiles(const QList<QByteArray>& nativePaths, bool walkFolders)
{
    std::vector<fs::path> paths;
    for (const QByteArray& path : nativePaths)
        paths.push_back(FsPath(path));
    if (walkFolders)
        Dispatch(w::action::FilesDropped{std::move(paths)});
    else
        Dispatch(w::action::FilesChosen{std::move(paths)});
}

// The pane's text as the flow reads it back: the blocks' texts joined by
// '\n', exactly as they are (toPlainText would turn U+00A0 into a space).
// Document positions count one for each line end, so positions in it are
// the pane's.
const std::u16string& TForm1::PaneText()
{
    if (!paneTextStale_)
        return paneText_;
    const QTextDocument& document = *RichEdit1->document();
    paneText_.clear();
    paneText_.reserve(static_cast<std::size_t>(document.characterCount()));
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            paneText_ += u'\n';
        const QString line = block.text();
        paneText_.append(reinterpret_cast<const char16_t*>(line.utf16()), static_cast<std::size_t>(line.size()));
    }
    paneTextStale_ = false;
    return paneText_;
}

// Every action of the window goes through here: a fault of the flow or of
// carrying out its effects stops that action, is told in a box, and never
// unwinds through Qt's frames. The pane keeps what it shows.
void TForm1::Dispatch(const w::Action& action)
{
    const int carrying = carrying_;
    Guarded([&] { DispatchGuarded(action); },
            [&](const Fault& fault) noexcept {
                carrying_ = carrying;
                try {
                    dialogs_.ShowMessage(this, MessageKind::Error, Utf8(kApplicationTitle), Utf8(FaultMessage(fault)));
                } catch (...) {
                    // No memory even for the box: the window answers all the same.
                }
            });
}

void TForm1::DispatchGuarded(const w::Action& action)
{
    std::vector<w::Effect> effects;
    if (std::holds_alternative<w::action::TimerFired>(action)) {
        effects = flow_.Update(action);
    } else {
        // Opening and listing a file happen here, in the flow.
        const BusyCursor busy;
        effects = flow_.Update(action);
    }
    ++carrying_;
    for (const w::Effect& effect : effects)
        Carry(effect);
    --carrying_;
}

void TForm1::Carry(const w::Effect& effect)
{
    namespace e = w::effect;
    QTextDocument& document = *RichEdit1->document();
    if (const auto* refresh = std::get_if<e::Refresh>(&effect)) {
        Render(refresh->What);
    } else if (const auto* entry = std::get_if<e::RefreshEntry>(&effect)) {
        FileListPanel->UpdateEntry(flow_, entry->Index);
    } else if (const auto* ask = std::get_if<e::Ask>(&effect)) {
        const w::Reply reply = dialogs_.Ask(this, Utf8(kApplicationTitle), Utf8(ask->Text), ask->Replies,
                                            ask->Default, ask->Escape);
        Dispatch(w::action::Answered{ask->Serial, reply});
    } else if (const auto* open = std::get_if<e::ChooseFilesToOpen>(&effect)) {
        const QStringList chosen = dialogs_.ChooseFilesToOpen(
            this, DialogSetup(WindowText::OpenTitle, WindowText::OpenFilters, open->Folder, open->ProposedName));
        QList<QByteArray> paths;
        for (const QString& path : chosen)
            paths.push_back(QFile::encodeName(path));
        ExtractNativeFiles(paths, false);
    } else if (const auto* save = std::get_if<e::ChooseSaveTarget>(&effect)) {
        const bool table = save->What == w::SaveKind::Table;
        FileDialogSetup setup = DialogSetup(WindowText::SaveTitle, table ? WindowText::TableFilter : WindowText::SaveFilter,
                                            save->Folder, save->ProposedName);
        setup.DefaultSuffix = Utf8(table ? kTableExtension : kSaveExtension);
        const std::optional<QString> target = dialogs_.ChooseFileToSave(this, setup);
        Dispatch(w::action::SaveTargetChosen{target ? FsPath(QFile::encodeName(*target)) : fs::path()});
    } else if (const auto* tell = std::get_if<e::Tell>(&effect)) {
        dialogs_.ShowMessage(this, tell->Kind, Utf8(tell->Caption), Utf8(tell->Text));
    } else if (std::holds_alternative<e::StartPane>(effect)) {
        // While it fills, the pane is read-only and keeps no history: the
        // listing cannot be undone.
        document.setUndoRedoEnabled(false);
        RichEdit1->clear();
        RichEdit1->setReadOnly(true);
    } else if (const auto* piece = std::get_if<e::AppendToPane>(&effect)) {
        QElapsedTimer took;
        took.start();
        const std::u16string& text = flow_.PaneText();
        QTextCursor end(&document);
        end.movePosition(QTextCursor::End);
        end.insertText(QString::fromUtf16(text.data() + piece->From, static_cast<qsizetype>(piece->To - piece->From)));
        lastPieceNanoseconds_ = took.nsecsElapsed();
        // The caret at the top, where find starts; later pieces go in below it.
        if (piece->From == 0)
            RichEdit1->setTextCursor(QTextCursor(&document));
    } else if (std::holds_alternative<e::FinishPane>(effect)) {
        RichEdit1->setReadOnly(false);
        document.setUndoRedoEnabled(true);
        document.setModified(false);
    } else if (std::holds_alternative<e::MarkPaneUnmodified>(effect)) {
        document.setModified(false);
    } else if (const auto* select = std::get_if<e::SelectInPane>(&effect)) {
        QTextCursor cursor(&document);
        cursor.setPosition(static_cast<int>(select->Position));
        cursor.setPosition(static_cast<int>(select->Position + select->Length), QTextCursor::KeepAnchor);
        RichEdit1->setTextCursor(cursor);
        RichEdit1->ensureCursorVisible();
    } else if (const auto* start = std::get_if<e::StartTimer>(&effect)) {
        timers_[static_cast<std::size_t>(start->Which)]->start(start->Milliseconds);
    } else if (const auto* stop = std::get_if<e::StopTimer>(&effect)) {
        timers_[static_cast<std::size_t>(stop->Which)]->stop();
    } else if (std::holds_alternative<e::Beep>(effect)) {
        dialogs_.Beep();
    } else if (std::holds_alternative<e::Focus>(effect)) {
        Button1->setFocus();
    } else if (std::holds_alternative<e::Close>(effect)) {
        FormClose();
    }
    // ReadFile, WriteFile and CountExisting never come: the flow reads and
    // writes this system's files itself.
}

void TForm1::Render(w::Parts parts)
{
    if (parts & Part::Status)
        Status->SetText(Utf8(flow_.Status()));
    if (parts & Part::Notice) {
        const QString notice = Utf8(flow_.Notice());
        Notice->setText(notice);
        Notice->setToolTip(notice);
        NoticeBar->setVisible(!notice.isEmpty());
        NoticeButton->setText(QString::fromUtf8(w::NoticeOfferCaption(flow_.Offer())));
        NoticeButton->setVisible(flow_.Offer() != w::NoticeOffer::None);
    }
    if (parts & Part::PathField) {
        // The end of a long path, the file name, is what shows.
        Edit1->setText(FromFsPath(flow_.ChosenPath()));
        Edit1->end(false);
    }
    if (parts & Part::Boxes) {
        const ListingOptions& options = flow_.Options();
        const std::pair<QCheckBox*, bool> boxes[] = {
            {CheckBox1, options.Header}, {CheckBox2, options.Dimensions}, {CheckBox3, options.Blocks}};
        for (const auto& [box, checked] : boxes) {
            const QSignalBlocker quiet(box);
            box->setChecked(checked);
        }
    }
    if (parts & Part::List) {
        FileListPanel->ShowList(flow_);
        if (flow_.ListShown() && !FileListPanel->isVisible()) {
            FileListPanel->show();
            Split->setSizes({w::kFileListWidth, qMax(Split->width() - w::kFileListWidth, 1)});
        } else if (!flow_.ListShown()) {
            FileListPanel->hide();
        }
    }
    if (parts & (Part::List | Part::Selection))
        FileListPanel->Select(flow_.Selected());
    if (parts & (Part::List | Part::Hits))
        RenderHits();
    if (parts & Part::Progress)
        RenderProgress();
    if (parts & Part::Filling) {
        // The rest of the listing goes in from the event loop: the window
        // answers meanwhile and shows that it is busy.
        Button2->setEnabled(!flow_.Filling());
        if (flow_.Filling()) {
            setCursor(Qt::BusyCursor);
            RichEdit1->viewport()->setCursor(Qt::BusyCursor);
        } else {
            unsetCursor();
            RichEdit1->viewport()->setCursor(Qt::IBeamCursor);
        }
    }
}

// 中止 takes the keyboard before the buttons that cannot be used meanwhile
// are disabled, and gives it back once every listing is saved.
void TForm1::RenderProgress()
{
    const w::SaveAllState progress = flow_.SaveAllProgress();
    if (progress.Running && !StopButton->isVisible()) {
        focusBeforeBatch_ = QApplication::focusWidget();
        Progress->show();
        StopButton->show();
        StopButton->setFocus();
    }
    Button1->setEnabled(!progress.Running);
    Button3->setEnabled(!progress.Running);
    Button4->setEnabled(!progress.Running);
    Progress->setRange(0, static_cast<int>(progress.Count));
    Progress->setValue(static_cast<int>(progress.Done));
    if (!progress.Running && StopButton->isVisible()) {
        Progress->hide();
        StopButton->hide();
        if (focusBeforeBatch_ != nullptr && focusBeforeBatch_->isVisible())
            focusBeforeBatch_->setFocus();
    }
}

// The hits take the room under the pane the first time they show; the user
// may move the line between them.
void TForm1::RenderHits()
{
    Hits->ShowHits(flow_);
    if (flow_.HitsShown() && !Hits->isVisible()) {
        Hits->show();
        const int height = Rows->height();
        Rows->setSizes({height - height / 3, height / 3});
    } else if (!flow_.HitsShown()) {
        Hits->hide();
    }
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) { (void)HandleFileDrag(event); }

void TForm1::dragMoveEvent(QDragMoveEvent* event) { (void)HandleFileDrag(event); }

void TForm1::dropEvent(QDropEvent* event) { (void)HandleFileDrag(event); }

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel1 && event->type() == QEvent::Resize)
        LayOutPanel1();
    // Files dropped on the pane are extracted like files dropped anywhere
    // else on the window; dragging text inside the pane stays as it is.
    const QEvent::Type type = event->type();
    if (watched == RichEdit1->viewport() &&
        (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) &&
        static_cast<QDropEvent*>(event)->mimeData()->hasUrls())
        return HandleFileDrag(event);
    return QWidget::eventFilter(watched, event);
}

bool TForm1::HandleFileDrag(QEvent* event)
{
    auto* drop = static_cast<QDropEvent*>(event);
    const QList<QByteArray> files = FilesOfDrop(drop->mimeData());
    // The list is the batch's while every listing is saved.
    if (files.isEmpty() || flow_.SavingAll()) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop) {
        // Run after the drop has finished, so that the message boxes of the
        // extraction do not keep the dragging program waiting.
        QTimer::singleShot(0, this, [this, files] { ExtractNativeFiles(files); });
    }
    return true;
}

}  // namespace vaveze
