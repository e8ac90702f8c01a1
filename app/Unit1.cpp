#include "app/Unit1.h"

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
#include <QShowEvent>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace vaveze {
namespace {

constexpr QSize kOuterSize(568, 506);
constexpr QPoint kPosition(192, 107);
constexpr int kFontPixels = 16;
constexpr qsizetype kMostCharactersNamed = 20;

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

QString KindDescription(FormatKind kind)
{
    switch (kind) {
    case FormatKind::Zvw:
        return QStringLiteral("ZVW 図面ファイル");
    case FormatKind::Zvs:
        return QStringLiteral("ZVS 図形ファイル");
    case FormatKind::Zvc:
        return QStringLiteral("ZVC 図面ファイル（MS-DOS）");
    case FormatKind::Zvk:
        return QStringLiteral("ZVK 図形ファイル（MS-DOS）");
    case FormatKind::None:
        break;
    }
    return {};
}

QString StatusText(FormatKind kind, std::size_t lines, const ParseOutcome& outcome, bool complete)
{
    QString text = QStringLiteral("%1: %2 行を抽出しました。").arg(KindDescription(kind)).arg(lines);
    if (!outcome.Complete())
        text += QStringLiteral(" ファイルを最後まで読めなかったため、読めたところまでを表示しています(%1)。")
                    .arg(QString::fromStdString(DescribeStop(outcome)));
    if (!complete)
        text += QStringLiteral(" 表示できる文字数の上限に達したため、途中で打ち切りました。");
    return text;
}

QString DescribeCharacters(const std::u32string& chars)
{
    QStringList names;
    for (const char32_t c : chars) {
        if (names.size() == kMostCharactersNamed) {
            names += QStringLiteral("ほか %1 文字").arg(chars.size() - kMostCharactersNamed);
            break;
        }
        const QString code = QStringLiteral("U+%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
        const bool printable = QChar::isPrint(c) && !QChar::isSurrogate(c);
        names += printable ? QStringLiteral("「%1」(%2)").arg(QString::fromUcs4(&c, 1), code) : code;
    }
    return names.join(QStringLiteral("、"));
}

// Shows the wait cursor while an extraction keeps the window busy.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

QString SingleDroppedFile(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QString path = urls.front().toLocalFile();
    return QFileInfo(path).isDir() ? QString() : path;
}

TForm1::TForm1(Dialogs& dialogs, std::size_t paneCharacterLimit, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), paneCharacterLimit_(paneCharacterLimit)
{
    setWindowTitle(QString::fromUtf8(kWindowCaption));
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

    Button1 = new QPushButton(QStringLiteral("ファイル名"), Panel1);
    Button1->setGeometry(8, 8, 89, 25);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setGeometry(104, 8, 441, 24);
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
    Button2->setGeometry(440, 32, 105, 25);

    Panel2 = new QLabel(QStringLiteral("文字抽出情報"), this);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setFixedHeight(24);
    Panel2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel2->setIndent(4);

    RichEdit1 = new QPlainTextEdit(this);
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves between the controls, as everywhere else in the window.
    RichEdit1->setTabChangesFocus(true);
    RichEdit1->viewport()->installEventFilter(this);

    StatusLine = new QLabel(this);
    StatusLine->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    StatusLine->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(Panel2);
    layout->addWidget(RichEdit1, 1);
    layout->addWidget(StatusLine);

    setTabOrder(Button1, Edit1);
    setTabOrder(Edit1, CheckBox1);
    setTabOrder(CheckBox1, CheckBox2);
    setTabOrder(CheckBox2, CheckBox3);
    setTabOrder(CheckBox3, Button2);
    setTabOrder(Button2, RichEdit1);

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
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

void TForm1::FormClose() { ClearReaders(readers_); }

void TForm1::Button1Click()
{
    FileDialogSetup setup;
    setup.Title = QStringLiteral("開く");
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

void TForm1::ExtractFile(const QString& path)
{
    Edit1->setText(path);
    Detection detection;
    {
        const BusyCursor busy;
        detection = DetectAndParse(readers_, QFile::encodeName(path).toStdString());
    }
    if (!detection.Warning.empty())
        dialogs_.ShowMessage(this, MessageKind::Warning, QString::fromUtf8(kWarningCaption), Utf8(detection.Warning));
    if (detection.Kind != FormatKind::None)
        ShowListing(detection);
    ClearReaders(readers_);
}

void TForm1::ShowListing(const Detection& detection)
{
    PaneListing listing(paneCharacterLimit_);
    bool complete = false;
    {
        const BusyCursor busy;
        complete = ListFormat(detection.Kind, readers_, CurrentOptions(), listing);
        listing.ShowIn(*RichEdit1);
    }
    StatusLine->setText(StatusText(detection.Kind, listing.LineCount(), detection.Outcome, complete));
    if (!complete)
        dialogs_.ShowMessage(this, MessageKind::Error, QString::fromUtf8(kApplicationTitle),
                             QString::fromUtf8(kPaneFullMessage));
}

ListingOptions TForm1::CurrentOptions() const
{
    ListingOptions options;
    options.CheckBox1 = CheckBox1->isChecked();
    options.CheckBox2 = CheckBox2->isChecked();
    options.CheckBox3 = CheckBox3->isChecked();
    return options;
}

void TForm1::Button2Click()
{
    const QString source = Edit1->text();
    if (source.isEmpty()) {
        dialogs_.Beep();
        Button1->setFocus();
        return;
    }
    FileDialogSetup setup;
    setup.Title = QStringLiteral("名前を付けて保存");
    setup.Folder = FolderPart(source);
    setup.ProposedName = QString::fromStdString(ProposedTextName(source.toStdString()).string());
    setup.Filters = SaveFilters();
    setup.DefaultSuffix = QStringLiteral("txt");
    const std::optional<QString> target = dialogs_.ChooseFileToSave(this, setup);
    if (!target)
        return;

    const PaneBytes content = PaneContentBytes(*RichEdit1->document());
    if (!content.Unencodable.empty()) {
        dialogs_.ShowMessage(this, MessageKind::Warning, QString::fromUtf8(kWarningCaption),
                             QStringLiteral("次の文字は Shift-JIS にないため、保存できません。\n%1\n"
                                            "これらの文字を書き換えてから、もう一度保存してください。")
                                 .arg(DescribeCharacters(content.Unencodable)));
        return;
    }
    // The new file replaces an existing one only once it is complete, so a
    // failed save never destroys what the user chose to overwrite.
    QSaveFile file(*target);
    const bool saved = file.open(QIODevice::WriteOnly) &&
                       file.write(content.Bytes.data(), static_cast<qint64>(content.Bytes.size())) ==
                           static_cast<qint64>(content.Bytes.size()) &&
                       file.commit();
    if (!saved)
        dialogs_.ShowMessage(this, MessageKind::Error, QString::fromUtf8(kApplicationTitle),
                             QStringLiteral("「%1」に保存できませんでした。\n%2")
                                 .arg(QDir::toNativeSeparators(*target), file.errorString()));
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) { (void)HandleFileDrag(event); }

void TForm1::dragMoveEvent(QDragMoveEvent* event) { (void)HandleFileDrag(event); }

void TForm1::dropEvent(QDropEvent* event) { (void)HandleFileDrag(event); }

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
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
    const QString path = SingleDroppedFile(drop->mimeData());
    if (path.isEmpty()) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop) {
        // Run after the drop has finished, so that the message boxes of the
        // extraction do not keep the dragging program waiting.
        QTimer::singleShot(0, this, [this, path] { ExtractFile(path); });
    }
    return true;
}

}  // namespace vaveze
