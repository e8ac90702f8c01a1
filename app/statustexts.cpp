#include "app/statustexts.h"

#include <QLocale>
#include <QStringList>

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

// Why a file was not listed.
QString Reason(const Detection& detection)
{
    if (!detection.Warning.empty())
        return QStringLiteral("拡張子の示す形式のファイルではありません");
    return QStringLiteral("対応する形式のファイルではありません");
}

}  // namespace

QString Count(std::size_t n) { return QLocale(QLocale::English).toString(static_cast<qulonglong>(n)); }

QString ListedText(const QString& fileName, const Detection& detection, std::size_t lines, bool complete)
{
    QString text = QStringLiteral("%1「%2」から %3 行を抽出しました。")
                       .arg(KindDescription(detection.Kind), fileName, Count(lines));
    if (!detection.ParsedToEnd)
        text += QStringLiteral(" ファイルを最後まで読めなかったため、読めたところまでを表示しています。");
    if (!complete)
        text += QStringLiteral(" 表示できる文字数の上限に達したため、途中で打ち切りました。");
    return text;
}

QString NotListedText(const QString& fileName, const Detection& detection, const QString& shownFileName)
{
    QString text = QStringLiteral("「%1」は抽出できませんでした（%2）。").arg(fileName, Reason(detection));
    if (!shownFileName.isEmpty())
        text += QStringLiteral(" 表示は前のファイル「%1」のままです。").arg(shownFileName);
    return text;
}

QString FillingText(const QString& fileName, std::size_t shown, std::size_t total)
{
    return QStringLiteral("「%1」を表示しています… %2 / %3 行").arg(fileName, Count(shown), Count(total));
}

QString OthersNotOpenedText(int others)
{
    return QStringLiteral(" 一度に開けるのは一つだけのため、ほかの %1 個は開いていません。").arg(others);
}

QString SavedText(const QString& path, std::size_t lines)
{
    return QStringLiteral("「%1」に %2 行を保存しました。").arg(path, Count(lines));
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
