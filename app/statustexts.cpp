#include "app/statustexts.h"

#include <QLocale>
#include <QStringList>

#include <utility>

namespace vaveze {
namespace {

constexpr qsizetype kMostCharactersNamed = 20;

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

// A file the system would not give, in Japanese, with the system's own
// words where it gave any.
QString FileProblemText(FileProblem problem, const std::string& systemMessage)
{
    QString text;
    switch (problem) {
    case FileProblem::NotFound:
        text = QStringLiteral("ファイルが見つかりません");
        break;
    case FileProblem::NoPermission:
        text = QStringLiteral("読み取りの権限がありません");
        break;
    case FileProblem::IsFolder:
        text = QStringLiteral("フォルダーです");
        break;
    case FileProblem::NotRegularFile:
        text = QStringLiteral("通常のファイルではありません");
        break;
    case FileProblem::Empty:
        text = QStringLiteral("空のファイルです");
        break;
    case FileProblem::TooLarge:
        text = QStringLiteral("大きすぎて読み込めません");
        break;
    case FileProblem::ReadError:
    case FileProblem::None:
        text = QStringLiteral("読み込みに失敗しました");
        break;
    }
    if (!systemMessage.empty())
        text += QStringLiteral(": ") + QString::fromStdString(systemMessage);
    return text;
}

// Why a readable file was not listed: what its extension promised.
QString NotThisFormatText(const std::string& extension)
{
    const std::pair<const char*, FormatKind> claims[] = {
        {".ZVW", FormatKind::Zvw}, {".ZVS", FormatKind::Zvs}, {".ZVC", FormatKind::Zvc}, {".ZVK", FormatKind::Zvk}};
    for (const auto& [claimed, kind] : claims)
        if (extension == claimed)
            return KindDescription(kind) + QStringLiteral("ではありません");
    if (extension == ".BAK" || extension.starts_with(".BK") || extension == ".ZV$")
        return QStringLiteral("Zv_cad のどの形式のファイルでもありません");
    if (extension.empty())
        return QStringLiteral("拡張子がなく、形式がわかりません");
    return QStringLiteral("拡張子「%1」の形式には対応していません").arg(QString::fromStdString(extension).toLower());
}

// Where and why a parse stopped before the file's end.
QString StopText(const ParseOutcome& outcome)
{
    const QString at = CountText(outcome.Offset);
    switch (outcome.Reason) {
    case StopReason::EndsEarly:
        return QStringLiteral("ファイルが %1 バイトで途切れています").arg(at);
    case StopReason::UnsupportedVersion:
        return QStringLiteral("%1 バイト目に、読めない版の番号があります").arg(at);
    case StopReason::ImpossibleSize:
        return QStringLiteral("%1 バイト目の個数か大きさが、ファイルに合いません").arg(at);
    case StopReason::NumberOverflow:
        return QStringLiteral("%1 バイト目の数値が大きすぎます").arg(at);
    case StopReason::OutOfMemory:
        return QStringLiteral("%1 バイト目でメモリーが足りなくなりました").arg(at);
    case StopReason::None:
        break;
    }
    return {};
}

}  // namespace

QString CountText(std::size_t n) { return QLocale(QLocale::English).toString(static_cast<qulonglong>(n)); }

QString ListedText(const QString& fileName, const Detection& detection, std::size_t lines, bool complete)
{
    QString text = QStringLiteral("%1「%2」から %3 行を抽出しました。")
                       .arg(KindDescription(detection.Kind), fileName, CountText(lines));
    if (!detection.Outcome.Complete())
        text += QStringLiteral(" ファイルを最後まで読めなかったため（%1）、読めたところまでを表示しています。")
                    .arg(StopText(detection.Outcome));
    if (!complete)
        text += QStringLiteral(" 表示できる文字数の上限に達したため、途中で打ち切りました。");
    return text;
}

QString NotListedText(const QString& fileName, const std::string& upperExtension, const Detection& detection,
                      const QString& shownFileName)
{
    const QString reason = detection.Problem != FileProblem::None
                               ? FileProblemText(detection.Problem, detection.SystemMessage)
                               : NotThisFormatText(upperExtension);
    QString text = QStringLiteral("「%1」は抽出できませんでした（%2）。").arg(fileName, reason);
    if (!shownFileName.isEmpty())
        text += QStringLiteral(" 表示は「%1」のままです。").arg(shownFileName);
    return text;
}

QString FillingText(const QString& fileName, std::size_t shown, std::size_t total)
{
    return QStringLiteral("「%1」を表示しています… %2 / %3 行").arg(fileName, CountText(shown), CountText(total));
}

QString OthersNotOpenedText(int others)
{
    return QStringLiteral(" 一度に開けるのは一つだけのため、ほかの %1 個は開いていません。").arg(others);
}

QString SavedText(const QString& path, std::size_t lines)
{
    return QStringLiteral("「%1」に %2 行を保存しました。").arg(path, CountText(lines));
}

QString NoFileToSaveText()
{
    return QStringLiteral("まだファイルを開いていないため、保存しませんでした。先に「ファイル名」でファイルを選んでください。");
}

QString StillFillingText()
{
    return QStringLiteral("まだ表示の途中のため、保存しませんでした。表示が終わってから、もう一度保存してください。");
}

QString UnencodableText(const std::u32string& characters)
{
    QStringList names;
    for (const char32_t c : characters) {
        if (names.size() == kMostCharactersNamed) {
            names += QStringLiteral("ほか %1 文字").arg(characters.size() - kMostCharactersNamed);
            break;
        }
        const QString code = QStringLiteral("U+%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
        const bool printable = QChar::isPrint(c) && !QChar::isSurrogate(c);
        names += printable ? QStringLiteral("「%1」(%2)").arg(QString::fromUcs4(&c, 1), code) : code;
    }
    return QStringLiteral("次の文字は Shift-JIS にないため、保存できません。\n%1\n"
                          "これらの文字を書き換えてから、もう一度保存してください。")
        .arg(names.join(QStringLiteral("、")));
}

}  // namespace vaveze
