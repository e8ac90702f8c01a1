#include "app/Unit1.h"

#include <filesystem>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
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
#include <QSaveFile>
#include <QShortcut>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "app/filespanel.h"
#include "app/findbar.h"
#include "app/panefill.h"
#include "app/startup.h"
#include "app/statusline.h"

namespace vaveze {
namespace {

constexpr QSize kOuterSize(568, 506);
constexpr QPoint kPosition(192, 107);
constexpr int kFontPixels = 16;
// Designed places of the controls that follow the window's width.
constexpr QRect kEdit1(104, 8, 441, 24);
constexpr QRect kButton2(440, 32, 105, 25);
// In the panel's free corner under "ファイル名", where no designed control moves.
constexpr QRect kButton3(8, 72, 89, 25);
// The file list's width beside the pane when it first appears.
constexpr int kFileListWidth = 168;
constexpr int kMargin = 8;
// The pane keeps room for a few lines at the smallest size.
constexpr int kPaneMinimumHeight = 96;

QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QString Utf8(WindowText text) { return QString::fromUtf8(Text(text)); }

// Everything up to and including the last path separator.
QString FolderPart(const QString& path) { return path.left(path.lastIndexOf(QLatin1Char('/')) + 1); }

// Everything after the last path separator.
QString NamePart(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

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

// The fixed-pitch Japanese font of the design where it is installed, else
// the one the set-up installs, else whatever fixed-pitch font there is.
QFont WindowFont()
{
    QFont font;
    // Font names, not texts: each font's Japanese name is written with
    // escapes (MS Gothic's and IPAGothic's), as fontconfig and Windows may
    // know a font by either name.
    font.setFamilies({QString::fromUtf16(u"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF"), QStringLiteral("MS Gothic"),
                      QStringLiteral("IPAGothic"), QString::fromUtf16(u"IPA\u30B4\u30B7\u30C3\u30AF"),
                      QStringLiteral("Noto Sans Mono CJK JP")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(kFontPixels);
    return font;
}

// Shows the wait cursor while an extraction keeps the window busy.
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
std::filesystem::path FsPath(const QByteArray& nativePath)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(QFile::decodeName(nativePath).toStdWString());
#else
    return std::filesystem::path(nativePath.toStdString());
#endif
}

// The file system's path as the window shows it, with '/' between folders.
QString FromFsPath(const std::filesystem::path& path)
{
#ifdef Q_OS_WIN
    return QDir::fromNativeSeparators(QString::fromStdWString(path.native()));
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

// The pane's text as the session reads it back: the blocks' texts joined by
// '\n', exactly as they are (toPlainText would turn U+00A0 into a space).
std::u16string PaneText(const QTextDocument& document)
{
    std::u16string text;
    text.reserve(static_cast<std::size_t>(document.characterCount()));
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            text += u'\n';
        const QString line = block.text();
        text.append(reinterpret_cast<const char16_t*>(line.utf16()), static_cast<std::size_t>(line.size()));
    }
    return text;
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
    : QWidget(parent), dialogs_(dialogs), paneCharacterLimit_(paneCharacterLimit)
{
    setWindowTitle(QString::fromUtf8(kWindowCaption.data(), kWindowCaption.size()));
    setWindowIcon(QIcon(QStringLiteral(":/vaveze/vaveze.png")));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);
    setAutoFillBackground(true);
    setFont(WindowFont());
    setAcceptDrops(true);
    CreateControls();
    move(kPosition);
    resize(kOuterSize);
}

TForm1::~TForm1() = default;

void TForm1::CreateControls()
{
    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFixedHeight(105);
    // Nothing overlaps or is cut off down to this width: the save button
    // keeps its place right of the first check box.
    Panel1->setMinimumWidth(kButton2.right() + 1 + kMargin);

    Button1 = new QPushButton(Utf8(WindowText::OpenButton), Panel1);
    Button1->setGeometry(8, 8, 89, 25);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setGeometry(kEdit1);
    Edit1->setReadOnly(true);
    Edit1->setAccessibleName(Utf8(WindowText::PathField));
    // Each box's caption says what that box does: the dimension texts for
    // the second, the block section for the third.
    CheckBox1 = new QCheckBox(Utf8(WindowText::HeaderBox), Panel1);
    CheckBox1->setGeometry(104, 40, 329, 17);
    CheckBox2 = new QCheckBox(Utf8(WindowText::DimensionsBox), Panel1);
    CheckBox2->setGeometry(104, 60, 409, 17);
    CheckBox3 = new QCheckBox(Utf8(WindowText::BlocksBox), Panel1);
    CheckBox3->setGeometry(104, 80, 417, 17);
    Button2 = new QPushButton(Utf8(WindowText::SaveButton), Panel1);
    Button2->setGeometry(kButton2);
    Button3 = new QPushButton(Utf8(WindowText::SaveAllButton), Panel1);
    Button3->setGeometry(kButton3);
    Button3->setToolTip(Button3->text() + QStringLiteral(" (Ctrl+Shift+S)"));

    Panel2 = new QLabel(Utf8(WindowText::PaneCaption), this);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setFixedHeight(24);
    Panel2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel2->setIndent(4);
    CreateNotice();

    Split = new QSplitter(Qt::Horizontal, this);
    Split->setChildrenCollapsible(false);
    FileListPanel = new FilesPanel(Split);
    FileListPanel->Attach(files_, session_, [this] { return CurrentOptions(); });
    FileListPanel->hide();
    RichEdit1 = new QPlainTextEdit(Split);
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setMinimumHeight(kPaneMinimumHeight);
    // Tab moves between the controls, as everywhere else in the window.
    RichEdit1->setTabChangesFocus(true);
    RichEdit1->viewport()->installEventFilter(this);
    Split->setStretchFactor(1, 1);
    fill_ = new PaneFill(*RichEdit1, this);
    Find = new FindBar(*RichEdit1, this);
    CreateBottom();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(Panel2);
    layout->addWidget(NoticeBar);
    layout->addWidget(Split, 1);
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
    setTabOrder(Button2, Button3);
    setTabOrder(Button3, FileListPanel->Filter);
    setTabOrder(FileListPanel->Filter, FileListPanel->List);
    setTabOrder(FileListPanel->List, RichEdit1);
    setTabOrder(RichEdit1, Find->Field);
    ConnectControls();
}

void TForm1::CreateBottom()
{
    Status = new StatusLine(this);
    Progress = new QProgressBar(this);
    Progress->setMaximumWidth(kButton3.width() + kButton2.width());
    Progress->setMaximumHeight(Status->sizeHint().height());
    Progress->hide();
    StopButton = new QPushButton(Utf8(WindowText::StopButton), this);
    StopButton->setMaximumHeight(Status->sizeHint().height());
    StopButton->hide();
}

void TForm1::ConnectControls()
{
    connect(fill_, &PaneFill::Progress, this, &TForm1::ShowFillProgress);
    connect(fill_, &PaneFill::Finished, this, &TForm1::FillFinished);
    // A box takes effect at once on the file shown.
    for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3})
        connect(box, &QCheckBox::toggled, this, [this, box](bool checked) { OptionToggled(*box, checked); });
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(StopButton, &QPushButton::clicked, this, [this] {
        if (batch_)
            batch_->Stop();
    });
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this, &TForm1::Button1Click);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, &TForm1::Button2Click);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this), &QShortcut::activated, this,
            &TForm1::Button3Click);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, Find, &FindBar::Open);
    connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this,
            [this] { Find->isVisible() ? (void)Find->Find(FindDirection::Forward) : Find->Open(); });
    connect(new QShortcut(QKeySequence::FindPrevious, this), &QShortcut::activated, this,
            [this] { Find->isVisible() ? (void)Find->Find(FindDirection::Backward) : Find->Open(); });
    connect(Find, &FindBar::Says, this, &TForm1::SayAside);
    connect(FileListPanel, &FilesPanel::Says, this, &TForm1::SayAside);
    connect(FileListPanel, &FilesPanel::Chosen, this, &TForm1::ChooseEntry);
    saveStep_ = new QTimer(this);
    saveStep_->setInterval(0);
    connect(saveStep_, &QTimer::timeout, this, &TForm1::SaveAllStep);
    Panel1->installEventFilter(this);
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
    auto* layout = new QHBoxLayout(NoticeBar);
    layout->setContentsMargins(kMargin / 2, kMargin / 2, kMargin / 2, kMargin / 2);
    layout->addWidget(icon);
    layout->addWidget(Notice, 1);
    NoticeBar->hide();
}

// The path field and the save button follow the window's width from their
// designed places; narrower than designed, the field shrinks and the button
// stays where it was designed.
void TForm1::LayOutPanel1()
{
    const int frameWidth = frameGeometry().width() - geometry().width();
    const int growth = Panel1->width() - (kOuterSize.width() - frameWidth);
    const int buttonLeft = kButton2.left() + qMax(growth, 0);
    const int right = qMin(kEdit1.right() + growth, buttonLeft + kButton2.width() - 1);
    Edit1->setGeometry(kEdit1.left(), kEdit1.top(), right - kEdit1.left() + 1, kEdit1.height());
    Button2->move(buttonLeft, kButton2.top());
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    FormShow();
    // The window manager adds its frame only once the window is mapped.
    QTimer::singleShot(0, this, &TForm1::FitOuterSize);
}

void TForm1::FitOuterSize()
{
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame != QSize(0, 0))
        resize(kOuterSize - frame);
    LayOutPanel1();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (!MayReplaceEdits(EditsAt::Close)) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TForm1::SayAside(const QString& text)
{
    if (!text.isEmpty()) {
        if (lastAside_.isEmpty() || Status->Text() != lastAside_)
            statusAside_ = Status->Text();
        lastAside_ = text;
        Status->SetText(text);
        return;
    }
    // Only while the line still says what find or the filter said.
    if (!lastAside_.isEmpty() && Status->Text() == lastAside_)
        Status->SetText(statusAside_);
    lastAside_.clear();
}

void TForm1::FormShow() { executableFolder_ = QCoreApplication::applicationDirPath() + QLatin1Char('/'); }

void TForm1::FormClose()
{
    // The file being saved is complete: every step saves one whole file.
    if (batch_) {
        batch_->Stop();
        SaveAllFinished();
    }
    fill_->Stop();
    session_.Close();
}

bool TForm1::Filling() const { return fill_->Running(); }

// The fill's own insertions mark the document modified; the mark is reset
// once the fill is done, so only the user's edits count.
bool TForm1::HoldsEdits() const { return !fill_->Running() && RichEdit1->document()->isModified(); }

bool TForm1::MayReplaceEdits(EditsAt what)
{
    return !HoldsEdits() || dialogs_.Confirm(this, Utf8(kApplicationTitle), Utf8(EditsLostQuestion(what)));
}

void TForm1::Button1Click()
{
    // Ctrl+O too: the list is the batch's while every listing is saved.
    if (batch_)
        return;
    FileDialogSetup setup;
    setup.Title = Utf8(WindowText::OpenTitle);
    setup.Filters = FiltersOf(WindowText::OpenFilters);
    const QString current = Edit1->text();
    if (current.isEmpty()) {
        setup.Folder = FirstOpenFolder(executableFolder_);
    } else {
        setup.Folder = FolderPart(current);
        setup.ProposedName = NamePart(current);
    }
    const QStringList chosen = dialogs_.ChooseFilesToOpen(this, setup);
    QList<QByteArray> paths;
    for (const QString& path : chosen)
        paths.push_back(QFile::encodeName(path));
    ExtractNativeFiles(paths, false);
}

void TForm1::ExtractFile(const QString& path) { ExtractNativeFile(QFile::encodeName(path)); }

void TForm1::ExtractNativeFile(const QByteArray& nativePath) { ExtractNativeFiles({nativePath}, false); }

void TForm1::ExtractNativeFiles(const QList<QByteArray>& nativePaths, bool walkFolders)
{
    // The list is the batch's while every listing is saved.
    if (nativePaths.isEmpty() || batch_ || !MayReplaceEdits(EditsAt::Open))
        return;
    std::vector<std::filesystem::path> paths;
    for (const QByteArray& path : nativePaths)
        paths.push_back(FsPath(path));
    FileList files = FileList::Chosen(paths, walkFolders);
    if (files.Empty()) {
        // Folders without a drawing: the list and the pane stay as they were.
        dialogs_.Beep();
        Status->SetText(Utf8(NoDrawingsStatus()));
        return;
    }
    files_ = std::move(files);
    FileListPanel->ShowList(files_);
    if (files_.Size() > 1 && !FileListPanel->isVisible()) {
        FileListPanel->show();
        Split->setSizes({kFileListWidth, qMax(Split->width() - kFileListWidth, 1)});
    } else if (files_.Size() == 1) {
        FileListPanel->hide();
    }
    OpenEntry(0);
}

void TForm1::ChooseEntry(std::size_t index)
{
    if (index >= files_.Size() || (index == entryShown_ && session_.Chosen().Path == files_[index].Where.Path))
        return;
    if (!MayReplaceEdits(EditsAt::Open)) {
        FileListPanel->Select(entryShown_);
        return;
    }
    OpenEntry(index);
}

void TForm1::OpenEntry(std::size_t index)
{
    const std::filesystem::path path = files_[index].Where.Path;
    entryShown_ = index;
    FileListPanel->Select(index);
    Edit1->setText(FromFsPath(path));
    {
        const BusyCursor busy;
        (void)session_.Open(path);
    }
    const OpenResult& opened = session_.Chosen();
    files_.Record(index, opened);
    FileListPanel->UpdateEntry(index);
    UpdateNotice();
    if (opened.Listed()) {
        ShowListing();
    } else {
        // The pane keeps what it shows (the user may have typed into it);
        // the status line and the notice say so, and a fill still running
        // goes on.
        Status->SetText(Utf8(NotListedStatus(opened, session_.Shown())));
        statusTaken_ = fill_->Running();
    }
    // After the status line, so that it already says why while the box is up.
    if (opened.Warning != WarningKind::None)
        dialogs_.ShowMessage(this, MessageKind::Warning, Utf8(WindowText::WarningCaption), Utf8(WarningText(opened.Warning)));
}

void TForm1::ShowListing(const std::string& note)
{
    if (!session_.HasListing())
        return;
    const PaneListing* listing = nullptr;
    {
        const BusyCursor busy;
        listing = &session_.ListForPane(CurrentOptions(), paneCharacterLimit_);
    }
    finalStatus_ = Utf8(ListedStatus(session_.Shown(), listing->LineCount(), listing->Full()) + note);
    statusTaken_ = false;
    fill_->Start(QString::fromStdU16String(listing->Text()), listing->LineCount());
    // The caret at the top, where find starts; later slices go in below it.
    RichEdit1->setTextCursor(QTextCursor(RichEdit1->document()));
    if (fill_->Running()) {
        // The rest of the listing goes in from the event loop: the window
        // answers meanwhile and shows that it is busy.
        Button2->setEnabled(false);
        setCursor(Qt::BusyCursor);
        RichEdit1->viewport()->setCursor(Qt::BusyCursor);
        ShowFillProgress();
    }
    if (listing->Full())
        dialogs_.ShowMessage(this, MessageKind::Error, Utf8(kApplicationTitle), Utf8(WindowText::PaneFull));
}

void TForm1::OptionToggled(QCheckBox& box, bool checked)
{
    if (!session_.HasListing()) {
        FileListPanel->Refilter();
        return;
    }
    if (!MayReplaceEdits(EditsAt::Relist)) {
        const QSignalBlocker quiet(box);
        box.setChecked(!checked);
        return;
    }
    ShowListing();
    // What the files' listings hold depends on the boxes.
    FileListPanel->Refilter();
}

void TForm1::UpdateNotice()
{
    const QString notice = Utf8(PaneNotice(session_.Chosen(), session_.Shown()));
    Notice->setText(notice);
    Notice->setToolTip(notice);
    NoticeBar->setVisible(!notice.isEmpty());
}

void TForm1::ShowFillProgress()
{
    if (!statusTaken_)
        Status->SetText(Utf8(FillingStatus(session_.Shown(), fill_->LinesShown(), fill_->LineCount())));
}

void TForm1::FillFinished()
{
    Button2->setEnabled(true);
    unsetCursor();
    RichEdit1->viewport()->setCursor(Qt::IBeamCursor);
    RichEdit1->document()->setModified(false);
    if (!statusTaken_)
        Status->SetText(finalStatus_);
    statusTaken_ = false;
}

ListingOptions TForm1::CurrentOptions() const
{
    ListingOptions options;
    options.Header = CheckBox1->isChecked();
    options.Dimensions = CheckBox2->isChecked();
    options.Blocks = CheckBox3->isChecked();
    return options;
}

void TForm1::Button2Click()
{
    if (session_.Chosen().Path.empty()) {
        dialogs_.Beep();
        Button1->setFocus();
        Status->SetText(Utf8(NoFileToSaveStatus()));
        return;
    }
    if (fill_->Running()) {
        dialogs_.Beep();
        Status->SetText(Utf8(StillFillingStatus()));
        statusTaken_ = true;
        return;
    }
    // Characters that Shift-JIS lacks are found before the user is asked for
    // a name.
    const std::u16string text = PaneText(*RichEdit1->document());
    const SavedText content = session_.PaneToBytes(text);
    if (!content.Unencodable.empty()) {
        dialogs_.ShowMessage(this, MessageKind::Warning, Utf8(WindowText::WarningCaption),
                             Utf8(UnencodableMessage(content.Unencodable)));
        return;
    }
    const QString proposal = FromFsPath(session_.ProposedSavePath());
    FileDialogSetup setup;
    setup.Title = Utf8(WindowText::SaveTitle);
    setup.Folder = FolderPart(proposal);
    setup.ProposedName = NamePart(proposal);
    setup.Filters = FiltersOf(WindowText::SaveFilter);
    setup.DefaultSuffix = Utf8(kSaveExtension);
    const std::optional<QString> target = dialogs_.ChooseFileToSave(this, setup);
    if (!target)
        return;

    // The new file replaces an existing one only once it is complete, so a
    // failed save never destroys what the user chose to overwrite.
    QSaveFile file(*target);
    const bool saved = file.open(QIODevice::WriteOnly) &&
                       file.write(content.Bytes.data(), static_cast<qint64>(content.Bytes.size())) ==
                           static_cast<qint64>(content.Bytes.size()) &&
                       file.commit();
    const QByteArray shownTarget = QDir::toNativeSeparators(*target).toUtf8();
    if (!saved) {
        dialogs_.ShowMessage(this, MessageKind::Error, Utf8(kApplicationTitle),
                             Utf8(SaveFailedMessage(shownTarget.toStdString(), file.errorString().toStdString())));
        return;
    }
    // What is saved is no longer lost when the pane is listed again or the
    // window closed.
    RichEdit1->document()->setModified(false);
    Status->SetText(Utf8(SavedStatus(shownTarget.toStdString(), content.Lines)));
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
    if (files.isEmpty() || batch_) {
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

void TForm1::Button3Click()
{
    if (batch_)
        return;
    if (files_.Empty()) {
        dialogs_.Beep();
        Button1->setFocus();
        Status->SetText(Utf8(NoFileToSaveStatus()));
        return;
    }
    auto batch = std::make_unique<BatchSave>(files_, CurrentOptions());
    // One question, before anything is written: files that would be
    // replaced, and edits in the pane that fresh listings leave out.
    const std::string question = SaveAllQuestion(batch->ExistingTargets(), batch->Count(), HoldsEdits());
    if (!question.empty() && !dialogs_.Confirm(this, Utf8(kApplicationTitle), Utf8(question)))
        return;
    batch->Begin();
    batch_ = std::move(batch);
    focusBeforeBatch_ = QApplication::focusWidget();
    Button1->setEnabled(false);
    Button3->setEnabled(false);
    Progress->setRange(0, static_cast<int>(batch_->Count()));
    Progress->setValue(0);
    Progress->show();
    StopButton->show();
    StopButton->setFocus();
    Status->SetText(Utf8(SaveAllProgressStatus(0, batch_->Count(), files_[0].Where.Path)));
    statusTaken_ = fill_->Running();
    saveStep_->start();
}

// One file per turn of the event loop: the window answers, and Stop is
// heard, between two files.
void TForm1::SaveAllStep()
{
    if (!batch_)
        return;
    if (batch_->Finished()) {
        SaveAllFinished();
        return;
    }
    const std::size_t done = batch_->SaveNext();
    FileListPanel->UpdateEntry(done);
    Progress->setValue(static_cast<int>(batch_->Position()));
    if (!batch_->Finished())
        Status->SetText(Utf8(SaveAllProgressStatus(batch_->Position(), batch_->Count(),
                                                   files_[batch_->Position()].Where.Path)));
}

void TForm1::SaveAllFinished()
{
    saveStep_->stop();
    const BatchSummary summary = batch_->Summary();
    batch_.reset();
    Progress->hide();
    StopButton->hide();
    Button1->setEnabled(true);
    Button3->setEnabled(true);
    if (focusBeforeBatch_ != nullptr && focusBeforeBatch_->isVisible())
        focusBeforeBatch_->setFocus();
    Status->SetText(Utf8(SaveAllSummary(summary)));
    statusTaken_ = fill_->Running();
}

}  // namespace vaveze
