// krreport: loads the catalogs once, then each unit file into a fresh
// designer exactly as the load command does, recalculates, and writes the
// chosen report.
#include "krreport_main.h"

#include "Pub1.h"
#include "codec.h"
#include "designer.h"
#include "reports.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace kr {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view ProgramName = "krreport";

constexpr std::string_view UsageText =
    "使い方: krreport [--catalogs DIR] (--text | --html) [--utf8] [-o OUT] UNIT.kr...\n"
    "詳しくは krreport --help を参照してください。\n";

constexpr std::string_view HelpText =
    "使い方: krreport [--catalogs DIR] (--text | --html) [--utf8] [-o OUT] UNIT.kr...\n"
    "\n"
    "ユニットファイル (.kr) を読み込み、ＫＲデザイナの出力と同じ内容を書き出します。\n"
    "各ユニットは読み込み時と同じくカタログから装備を探し、再計算してから出力します。\n"
    "\n"
    "  --catalogs DIR  option.csv, weapon.csv, move.csv を読むフォルダ\n"
    "                  (省略時はＫＲデザイナと同じ: krreport の隣にあればそこ、\n"
    "                  無ければ各ファイルを ~/.local/share/krmake、インストール先の\n"
    "                  share/krmake、$XDG_DATA_DIRS/krmake の順に探す)\n"
    "  --text          クリップボード用のテキスト (Shift_JIS, CR LF)\n"
    "  --html          HTML ページ (Shift_JIS, CR LF)\n"
    "  --utf8          テキストを UTF-8 で書き出す (--text のみ)\n"
    "  -o OUT          出力先。ユニットが一つならファイル (既存のフォルダならその中へ)、\n"
    "                  複数ならフォルダ (無ければ作成)。各出力はユニットファイルの名前に\n"
    "                  .txt または .html を付けた名前になります。\n"
    "                  ユニットが一つで -o が無ければ標準出力へ書き出します。\n"
    "  --help          この説明を表示する\n"
    "  --version       版数を表示する\n"
    "\n"
    "終了コード: 0 すべて出力した / 1 読み込みまたは書き込みに失敗したものがある\n"
    "            (残りのユニットは出力します) / 2 引数の誤り\n";

enum class ReportKind { None, Text, Html };

struct Arguments {
    bool Help = false;
    bool Version = false;
    std::optional<fs::path> CatalogDirectory;
    ReportKind Kind = ReportKind::None;
    bool Utf8 = false;
    std::optional<fs::path> Output;
    std::vector<fs::path> Units;
};

struct UsageError {
    std::string Message;
};

Arguments ParseArguments(int argc, char** argv) {
    Arguments args;
    bool optionsEnded = false;
    auto valueOf = [&](int& i, std::string_view option) -> fs::path {
        if (i + 1 >= argc) throw UsageError{std::string(option) + " の後に値がありません"};
        return fs::path(argv[++i]);
    };
    auto setKind = [&](ReportKind kind) {
        if (args.Kind != ReportKind::None && args.Kind != kind)
            throw UsageError{"--text と --html は同時に指定できません"};
        args.Kind = kind;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            args.Units.emplace_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            args.Help = true;
        } else if (arg == "--version") {
            args.Version = true;
        } else if (arg == "--catalogs") {
            args.CatalogDirectory = valueOf(i, arg);
        } else if (arg == "--text") {
            setKind(ReportKind::Text);
        } else if (arg == "--html") {
            setKind(ReportKind::Html);
        } else if (arg == "--utf8") {
            args.Utf8 = true;
        } else if (arg == "-o" || arg == "--output") {
            args.Output = valueOf(i, arg);
        } else {
            throw UsageError{"不明なオプション " + std::string(arg)};
        }
    }
    if (args.Help || args.Version) return args;
    if (args.Kind == ReportKind::None) throw UsageError{"--text か --html を指定してください"};
    if (args.Utf8 && args.Kind == ReportKind::Html)
        throw UsageError{"--utf8 は --text と共にのみ使えます (HTML ページは Shift_JIS を宣言します)"};
    if (args.Units.empty()) throw UsageError{"ユニットファイルを指定してください"};
    if (args.Units.size() > 1 && !args.Output)
        throw UsageError{"複数のユニットファイルには -o で出力先のフォルダを指定してください"};
    return args;
}

void Complain(std::ostream& err, std::string_view message) {
    err << ProgramName << ": " << message << '\n';
}

// The report of one unit file, as the designer would give it after loading it.
std::string BuildReport(const Catalogs& catalogs, const fs::path& unit, const Arguments& args) {
    Designer designer(catalogs);
    FillPickers(designer);
    LoadUnitFile(unit, designer);
    Recalculate(designer.Sheet);
    if (args.Kind == ReportKind::Html) return BuildHtmlPage(designer.Sheet);
    std::string text = BuildClipboardText(designer.Sheet);
    return args.Utf8 ? Cp932ToUtf8(text) : text;
}

fs::path ReportFileName(const fs::path& unit, ReportKind kind) {
    fs::path name = unit.filename();
    name.replace_extension(kind == ReportKind::Html ? ".html" : ".txt");
    return name;
}

bool IsDirectory(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

int Run(const Arguments& args, std::ostream& out, std::ostream& err) {
    int status = 0;

    Catalogs catalogs;
    const CatalogFiles files = args.CatalogDirectory ? CatalogFilesIn(*args.CatalogDirectory) : DesignerCatalogFiles();
    // As at the designer's start: a catalog that fails stays empty and the
    // others are still used.
    for (const std::string& message : LoadCatalogs(catalogs, files)) {
        Complain(err, message);
        status = 1;
    }

    // Where each report goes: nowhere (standard output) for a single unit
    // without -o, a file, or a folder that gets one file per unit.
    std::optional<fs::path> folder;
    std::optional<fs::path> singleFile;
    if (args.Units.size() > 1) {
        std::error_code ec;
        fs::create_directories(*args.Output, ec);
        if (!IsDirectory(*args.Output)) {
            Complain(err, FormatMessage("出力先 %s はフォルダではなく、作成もできません", PathText(*args.Output)));
            return 1;
        }
        folder = *args.Output;
    } else if (args.Output) {
        if (IsDirectory(*args.Output))
            folder = *args.Output;
        else
            singleFile = *args.Output;
    }

    std::set<fs::path> written;
    for (const fs::path& unit : args.Units) {
        try {
            const std::string report = BuildReport(catalogs, unit, args);
            if (!folder && !singleFile) {
                out.write(report.data(), static_cast<std::streamsize>(report.size()));
                out.flush();
                if (!out) throw KrError("標準出力への書き込みエラー");
                continue;
            }
            const fs::path target = folder ? *folder / ReportFileName(unit, args.Kind) : *singleFile;
            // Two units of the same file name would silently overwrite each other.
            if (!written.insert(target.lexically_normal()).second)
                throw KrError(FormatMessage("%s は別のユニットファイルの出力に使われています", PathText(target)));
            // The page writer takes any bytes; the text report is written the same way.
            WriteHtmlFile(target, report);
        } catch (const std::exception& e) {
            Complain(err, e.what());
            status = 1;
        }
    }
    return status;
}

}  // namespace

int KrReportMain(int argc, char** argv, std::ostream& out, std::ostream& err) {
    Arguments args;
    try {
        args = ParseArguments(argc, argv);
    } catch (const UsageError& usage) {
        Complain(err, usage.Message);
        err << UsageText;
        return 2;
    }
    if (args.Help || args.Version) {
        if (args.Help)
            out << HelpText;
        else
            out << ProgramName << ' ' << KR_VERSION << '\n';
        out.flush();
        return out ? 0 : 1;
    }
    try {
        return Run(args, out, err);
    } catch (const std::exception& e) {
        Complain(err, e.what());
        return 1;
    }
}

}  // namespace kr
