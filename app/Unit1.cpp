#include "app/Unit1.h"

#include <filesystem>
#include <system_error>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "app/panefill.h"
#include "app/statusline.h"
#include "app/statustexts.h"
#include "core/session/texts.h"

namespace vaveze {
namespace {

constexpr QSize kOuterSize(568, 506);
constexpr QPoint kPosition(192, 107);
constexpr int kFontPixels = 16;
// Designed places of the controls that follow the window's width.
constexpr QRect kEdit1(104, 8, 441, 24);
constexpr QRect kButton2(440, 32, 105, 25);
constexpr int kMargin = 8;
// The pane keeps room for a few lines at the smallest size.
constexpr int kPaneMinimumHeight = 96;

QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Everything up to and including the last path separator.
QString FolderPart(const QString& path) { return path.left(path.lastIndexOf(QLatin1Char('/')) + 1); }

// Everything after the last path separator.
QString NamePart(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

const QList<FileFilter>& OpenFilters()
{
    static const QList<FileFilter> filters = {
        {QStringLiteral("Zv_cadデータ(*.zvc,*.zvk,*.zvw,*.zvs)"),
         {QStringLiteral("*.zvc"), QStringLiteral("*.zvk"), QStringLiteral("*.zvw"), QStringLiteral("*.zvs")}},
        {QStringLiteral("ZV_CAD(MS-DOS)データ"), {QStringLiteral("*.zvc"), QStringLiteral("*.zvk")}},
        {QStringLiteral("ZVWデータ"), {QStringLiteral("*.zvw"), QStringLiteral("*.zvs")}},
        {QStringLiteral("BAKファイル"), {QStringLiteral("*.bak"), QStringLiteral("*.bk?"), QStringLiteral("*.zv$")}},
        {QStringLiteral("全てのファイル(*.*)"), {QStringLiteral("*.*")}},
    };
    return filters;
}

const QList<FileFilter>& SaveFilters()
{
    static const QList<FileFilter> filters = {
        {QStringLiteral("テキストファイル(*.txt)"), {QStringLiteral("*.txt")}},
    };
    return filters;
}

// The fixed-pitch Japanese font of the design where it is installed, else
// the one the set-up installs, else whatever fixed-pitch font there is.
QFont WindowFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"),
                      QStringLiteral("IPAゴシック"), QStringLiteral("Noto Sans Mono CJK JP")});
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

bool IsFolder(const QByteArray& nativePath)
{
    std::error_code error;
    return std::filesystem::is_directory(FsPath(nativePath), error);
}

// Lines written: every line ends with CR LF.
std::size_t LineCount(const PaneBytes& content)
{
    std::size_t lines = 0;
    for (std::size_t at = content.Bytes.find("\r\n"); at != std::string::npos; at = content.Bytes.find("\r\n", at + 2))
        ++lines;
    return lines;
}

}  // namespace

DroppedFiles FilesOfDrop(const QMimeData* data)
{
    DroppedFiles files;
    if (data == nullptr || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        const QByteArray path = NativePath(url);
        if (files.First.isEmpty() && !path.isEmpty() && !IsFolder(path))
            files.First = path;
        else
            ++files.Others;
    }
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

    Button1 = new QPushButton(QStringLiteral("ファイル名"), Panel1);
    Button1->setGeometry(8, 8, 89, 25);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setGeometry(kEdit1);
    Edit1->setReadOnly(true);
    // Each box's caption says what that box does: the dimension texts for
    // the second, the block section for the third.
    CheckBox1 = new QCheckBox(QStringLiteral("ヘッダ情報を含む（※ZVSの場合は無関係）"), Panel1);
    CheckBox1->setGeometry(104, 40, 329, 17);
    CheckBox2 = new QCheckBox(QStringLiteral("寸法図形の文字を含む（※ZVC/ZVKの場合は無関係）"), Panel1);
    CheckBox2->setGeometry(104, 60, 409, 17);
    CheckBox3 = new QCheckBox(QStringLiteral("ブロック情報を含む　（※ZVC/ZVKの場合は無関係）"), Panel1);
    CheckBox3->setGeometry(104, 80, 417, 17);
    Button2 = new QPushButton(QStringLiteral("テキスト出力"), Panel1);
    Button2->setGeometry(kButton2);

    Panel2 = new QLabel(QStringLiteral("文字抽出情報"), this);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setFixedHeight(24);
    Panel2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel2->setIndent(4);

    RichEdit1 = new QPlainTextEdit(this);
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setMinimumHeight(kPaneMinimumHeight);
    // Tab moves between the controls, as everywhere else in the window.
    RichEdit1->setTabChangesFocus(true);
    RichEdit1->viewport()->installEventFilter(this);
    fill_ = new PaneFill(*RichEdit1, this);
    connect(fill_, &PaneFill::Progress, this, &TForm1::ShowFillProgress);
    connect(fill_, &PaneFill::Finished, this, &TForm1::FillFinished);

    Status = new StatusLine(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(Panel2);
    layout->addWidget(RichEdit1, 1);
    layout->addWidget(Status);

    setTabOrder(Button1, Edit1);
    setTabOrder(Edit1, CheckBox1);
    setTabOrder(CheckBox1, CheckBox2);
    setTabOrder(CheckBox2, CheckBox3);
    setTabOrder(CheckBox3, Button2);
    setTabOrder(Button2, RichEdit1);

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this, &TForm1::Button1Click);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, &TForm1::Button2Click);
    Panel1->installEventFilter(this);
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
    FormClose();
    event->accept();
}

void TForm1::FormShow()
{
    ResetReaders(readers_);
    executableFolder_ = QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

void TForm1::FormClose()
{
    fill_->Stop();
    ClearReaders(readers_);
}

bool TForm1::Filling() const { return fill_->Running(); }

void TForm1::Button1Click()
{
    FileDialogSetup setup;
    // Qt's own title for the dialog, in the language of its other texts.
    setup.Title = QCoreApplication::translate("QFileDialog", "Open");
    setup.Filters = OpenFilters();
    const QString current = Edit1->text();
    if (current.isEmpty()) {
        setup.Folder = executableFolder_;
    } else {
        setup.Folder = FolderPart(current);
        setup.ProposedName = NamePart(current);
    }
    if (const std::optional<QString> chosen = dialogs_.ChooseFileToOpen(this, setup))
        ExtractFile(*chosen);
    else
        ClearReaders(readers_);
}

void TForm1::ExtractFile(const QString& path, int othersNotOpened)
{
    ExtractNativeFile(QFile::encodeName(path), othersNotOpened);
}

void TForm1::ExtractNativeFile(const QByteArray& nativePath, int othersNotOpened)
{
    const QString path = QFile::decodeName(nativePath);
    Edit1->setText(path);
    Detection detection;
    {
        const BusyCursor busy;
        detection = DetectAndParse(readers_, FsPath(nativePath));
    }
    const QString others = othersNotOpened > 0 ? OthersNotOpenedText(othersNotOpened) : QString();
    if (detection.Kind != FormatKind::None) {
        ShowListing(path, readers_, detection, others);
    } else {
        // The pane keeps what it shows (the user may have typed into it);
        // the status line says so, and a fill still running goes on.
        const std::string extension = UpperExtension(FsPath(nativePath));
        Status->SetText(NotListedText(NamePart(path), extension, detection, NamePart(listedPath_)) + others);
        statusTaken_ = fill_->Running();
    }
    // After the status line, so that it already says why while the box is up.
    if (detection.Warning != WarningKind::None)
        dialogs_.ShowMessage(this, MessageKind::Warning, QString::fromUtf8(kWarningCaption),
                             Utf8(WarningText(detection.Warning)));
    ClearReaders(readers_);
}

void TForm1::ShowListing(const QString& path, const Readers& readers, const Detection& detection,
                         const QString& note)
{
    PaneListing listing(paneCharacterLimit_);
    bool complete = false;
    {
        const BusyCursor busy;
        complete = ListFormat(detection.Kind, readers, CurrentOptions(), listing);
    }
    listedPath_ = path;
    finalStatus_ = ListedText(NamePart(path), detection, listing.LineCount(), complete) + note;
    statusTaken_ = false;
    fill_->Start(listing.Take());
    if (fill_->Running()) {
        // The rest of the listing goes in from the event loop: the window
        // answers meanwhile and shows that it is busy.
        Button2->setEnabled(false);
        setCursor(Qt::BusyCursor);
        RichEdit1->viewport()->setCursor(Qt::BusyCursor);
        ShowFillProgress();
    }
    if (!complete)
        dialogs_.ShowMessage(this, MessageKind::Error, QString::fromUtf8(kApplicationTitle.data(), kApplicationTitle.size()),
                             QString::fromUtf8(kPaneFullMessage));
}

void TForm1::ShowFillProgress()
{
    if (!statusTaken_)
        Status->SetText(FillingText(NamePart(listedPath_), fill_->LinesShown(), fill_->LineCount()));
}

void TForm1::FillFinished()
{
    Button2->setEnabled(true);
    unsetCursor();
    RichEdit1->viewport()->setCursor(Qt::IBeamCursor);
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
    if (Edit1->text().isEmpty()) {
        dialogs_.Beep();
        Button1->setFocus();
        Status->SetText(NoFileToSaveText());
        return;
    }
    if (fill_->Running()) {
        dialogs_.Beep();
        Status->SetText(StillFillingText());
        statusTaken_ = true;
        return;
    }
    // Characters that Shift-JIS lacks are found before the user is asked for
    // a name.
    const PaneBytes content = PaneContentBytes(*RichEdit1->document());
    if (!content.Unencodable.empty()) {
        dialogs_.ShowMessage(this, MessageKind::Warning, QString::fromUtf8(kWarningCaption),
                             UnencodableText(content.Unencodable));
        return;
    }
    // The proposal comes from the file whose listing the pane shows, not
    // from a later file that could not be listed.
    const QString source = listedPath_.isEmpty() ? Edit1->text() : listedPath_;
    FileDialogSetup setup;
    setup.Title = QCoreApplication::translate("QFileDialog", "Save As");
    setup.Folder = FolderPart(source);
    setup.ProposedName = QString::fromStdU16String(ProposedTextName(source.toStdU16String()).u16string());
    setup.Filters = SaveFilters();
    setup.DefaultSuffix = QStringLiteral("txt");
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
    if (!saved) {
        dialogs_.ShowMessage(this, MessageKind::Error, QString::fromUtf8(kApplicationTitle.data(), kApplicationTitle.size()),
                             QStringLiteral("「%1」に保存できませんでした。\n%2")
                                 .arg(QDir::toNativeSeparators(*target), file.errorString()));
        return;
    }
    Status->SetText(SavedText(QDir::toNativeSeparators(*target), LineCount(content)));
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
    const DroppedFiles files = FilesOfDrop(drop->mimeData());
    if (files.First.isEmpty()) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop) {
        // Run after the drop has finished, so that the message boxes of the
        // extraction do not keep the dragging program waiting.
        QTimer::singleShot(0, this, [this, files] { ExtractNativeFile(files.First, files.Others); });
    }
    return true;
}

}  // namespace vaveze
