// krreport: loads the catalogs once, then each unit file into a fresh
// designer exactly as the load command does, recalculates, and writes the
// chosen report or record sheet, or the comparison of two units. --check
// reads the catalogs and says where they go wrong.
#include "krreport_main.h"

#include "Pub1.h"
#include "catalog_check.h"
#include "codec.h"
#include "designer.h"
#include "record_sheet_content.h"
#include "reports.h"
#include "unit_compare.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
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
    "使い方: krreport [--catalogs DIR] (--text | --html | --pdf | --png) [--utf8] [-o OUT] UNIT.kr...\n"
    "        krreport --check [--utf8] [DIR]\n"
    "        krreport [--catalogs DIR] --compare [--utf8] A.kr B.kr\n"
    "詳しくは krreport --help を参照してください。\n";

constexpr std::string_view HelpText =
    "使い方: krreport [--catalogs DIR] (--text | --html | --pdf | --png) [--utf8] [-o OUT] UNIT.kr...\n"
    "        krreport --check [--utf8] [DIR]\n"
    "        krreport [--catalogs DIR] --compare [--utf8] A.kr B.kr\n"
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
    "  --pdf           記録用紙の PDF (ＫＲデザイナの「印刷」と同じ用紙。A4、ロケールの\n"
    "                  用紙 (LC_PAPER) が Letter なら Letter。フォントは埋め込み)\n"
    "  --png           記録用紙の画像 (150 dpi の PNG)。2 ページ以上ある用紙は\n"
    "                  ページごとに 名前-1.png, 名前-2.png ... に書き出します\n"
    "                  (標準出力には 1 ページの用紙のみ)。--pdf と --png は画面を\n"
    "                  使いません\n"
    "  --check [DIR]   DIR (省略時は --catalogs のフォルダ) の weapon.csv, option.csv,\n"
    "                  move.csv をＫＲデザイナと同じ規則で読み、問題を一件一行で書き出す:\n"
    "                      weapon.csv:12:5: error: メッセージ\n"
    "                  12 は行 (1 から数え、見出しが 1 行目)、5 は列 (0 から数えた\n"
    "                  項目の番号。data/README.md の表の # と同じ)。\n"
    "                  error は性能・表示・名前が書いたとおりに読まれないもの: 整数として\n"
    "                  読めない値 (0 と読まれる)、列の幅に収まらない値 (0～255 の列の 300\n"
    "                  は 44 と読まれる)、空白で切れて後ろの列がずれる欄、列の足りない行\n"
    "                  (読み込みはそこで止まる)、UTF-8 で保存されたファイル。\n"
    "                  warning は性能の変わらないもの: 備考が空白で切れる、予備の列の値、\n"
    "                  Shift_JIS でないバイト、重複した名前 (後の行が使われる)、上に武器の\n"
    "                  行が無い「└」の行、空の名前、列数の違う見出しや行。\n"
    "                  ファイルは変更しません。\n"
    "  --compare A.kr B.kr\n"
    "                  二つのユニットを並べて書き出す。基本性能の16項目 (名称、クラス、\n"
    "                  能力値11項目、(元) の3項目) の A, B と差 B-A (数値は符号付き、\n"
    "                  文字は違えば ≠)、続いて移動・武器・その他ごとに A だけにある行、\n"
    "                  B だけにある行 (名前で照合し、同じ名前は数で比べる) と共通の行数。\n"
    "  --utf8          テキストを UTF-8 で書き出す (--text, --check, --compare。\n"
    "                  既定は Shift_JIS, CR LF)\n"
    "  -o OUT          出力先。ユニットが一つならファイル (既存のフォルダならその中へ)、\n"
    "                  複数ならフォルダ (無ければ作成)。各出力はユニットファイルの名前に\n"
    "                  .txt, .html, .pdf または .png を付けた名前になります。\n"
    "                  ユニットが一つで -o が無ければ標準出力へ書き出します。\n"
    "  --help          この説明を表示する\n"
    "  --version       版数を表示する\n"
    "\n"
    "終了コード (どれも 2 は引数の誤り):\n"
    "  --text, --html, --pdf, --png\n"
    "                  0 すべて出力した / 1 読み込みまたは書き込みに失敗したものがある\n"
    "                  (残りのユニットは出力します)\n"
    "  --check         0 error なし (warning だけのときも) / 1 error があった、\n"
    "                  またはカタログが読めない\n"
    "  --compare       0 比較を書き出した / 1 ユニットファイルまたはカタログが読めない\n";

enum class ReportKind { None, Text, Html, Pdf, Png, Check, Compare };

std::string_view OptionOf(ReportKind kind) {
    switch (kind) {
        case ReportKind::Text: return "--text";
        case ReportKind::Html: return "--html";
        case ReportKind::Pdf: return "--pdf";
        case ReportKind::Png: return "--png";
        case ReportKind::Check: return "--check";
        case ReportKind::Compare: return "--compare";
        case ReportKind::None: break;
    }
    return "";
}

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

bool IsSheet(ReportKind kind) { return kind == ReportKind::Pdf || kind == ReportKind::Png; }

// `sheets`: whether this program can draw record sheets, itself or through another.
Arguments ParseArguments(int argc, char** argv, bool sheets) {
    Arguments args;
    bool optionsEnded = false;
    auto valueOf = [&](int& i, std::string_view option) -> fs::path {
        if (i + 1 >= argc) throw UsageError{std::string(option) + " の後に値がありません"};
        return fs::path(argv[++i]);
    };
    auto setKind = [&](ReportKind kind) {
        if (args.Kind != ReportKind::None && args.Kind != kind)
            throw UsageError{std::string(OptionOf(args.Kind)) + " と " + std::string(OptionOf(kind)) +
                             " は同時に指定できません"};
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
        } else if (arg == "--pdf") {
            setKind(ReportKind::Pdf);
        } else if (arg == "--png") {
            setKind(ReportKind::Png);
        } else if (arg == "--check") {
            setKind(ReportKind::Check);
        } else if (arg == "--compare") {
            setKind(ReportKind::Compare);
        } else if (arg == "--utf8") {
            args.Utf8 = true;
        } else if (arg == "-o" || arg == "--output") {
            args.Output = valueOf(i, arg);
        } else {
            throw UsageError{"不明なオプション " + std::string(arg)};
        }
    }
    // --help and --version take nothing else to work on.
    if ((args.Help || args.Version) && !args.Units.empty())
        throw UsageError{std::string(args.Help ? "--help" : "--version") + " と共に " + args.Units.front().string() +
                         " は指定できません"};
    if (args.Help || args.Version) return args;
    if (args.Kind == ReportKind::None)
        throw UsageError{"--text, --html, --pdf, --png, --check, --compare のどれかを指定してください"};
    if (IsSheet(args.Kind) && !sheets)
        throw UsageError{std::string(OptionOf(args.Kind)) +
                         " は使えません: この krreport は記録用紙を描く Qt なしでビルドされています"};
    if (args.Kind == ReportKind::Check || args.Kind == ReportKind::Compare) {
        if (args.Output) throw UsageError{"-o は --text, --html, --pdf, --png と共にのみ使えます"};
        if (args.Kind == ReportKind::Check) {
            if (args.Units.size() > 1) throw UsageError{"--check に指定できるフォルダは一つです"};
            if (!args.Units.empty() && args.CatalogDirectory)
                throw UsageError{"--check のフォルダと --catalogs は同時に指定できません"};
        } else if (args.Units.size() != 2) {
            throw UsageError{"--compare にはユニットファイルを二つ指定してください"};
        }
        return args;
    }
    if (args.Utf8 && args.Kind == ReportKind::Html)
        throw UsageError{"--utf8 は --text と共にのみ使えます (HTML ページは Shift_JIS を宣言します)"};
    if (args.Utf8 && IsSheet(args.Kind)) throw UsageError{"--utf8 は --text と共にのみ使えます"};
    if (args.Units.empty()) throw UsageError{"ユニットファイルを指定してください"};
    if (args.Units.size() > 1 && !args.Output)
        throw UsageError{"複数のユニットファイルには -o で出力先のフォルダを指定してください"};
    return args;
}

void Complain(std::ostream& err, std::string_view message) {
    err << ProgramName << ": " << message << '\n';
}

// The one place that decides where the catalogs are read from: --catalogs,
// or those the designer started from krreport's folder would read.
CatalogFiles CatalogFilesOf(const Arguments& args) {
    return args.CatalogDirectory ? CatalogFilesIn(*args.CatalogDirectory) : DesignerCatalogFiles();
}

// A unit file in a fresh designer, as the designer shows it after loading
// it; names the catalogs lack are warned about, as the designer does.
std::unique_ptr<Designer> LoadForReport(const Catalogs& catalogs, const fs::path& unit, std::ostream& err) {
    auto designer = std::make_unique<Designer>(catalogs);
    FillPickers(*designer);
    const std::vector<std::string> dropped = LoadUnitFile(unit, *designer).Dropped;
    if (!dropped.empty()) Complain(err, PathText(unit) + ": " + Cp932ToUtf8(DroppedNamesMessage(dropped)));
    return designer;
}

// The report of one unit file, as the designer would give it after loading
// it: one file's bytes, or for pictures of a record sheet one per page.
std::vector<std::string> BuildReport(const Catalogs& catalogs, const fs::path& unit, const Arguments& args,
                                     std::ostream& err, RecordSheetWriter* sheets) {
    const std::unique_ptr<Designer> designer = LoadForReport(catalogs, unit, err);
    if (IsSheet(args.Kind)) {
        const RecordSheetContent content = RecordSheetContentOf(designer->Sheet, {PathText(unit.filename()), TodayText()});
        if (args.Kind == ReportKind::Pdf) return {sheets->Pdf(content)};
        return sheets->Pictures(content);
    }
    if (args.Kind == ReportKind::Html) return {BuildHtmlPage(designer->Sheet)};
    std::string text = BuildClipboardText(designer->Sheet);
    return {args.Utf8 ? Cp932ToUtf8(text) : text};
}

// Writes CP932 text to standard output, as UTF-8 when asked; throws KrError
// when the output fails.
void WriteText(std::ostream& out, const std::string& text, bool utf8) {
    const std::string bytes = utf8 ? Cp932ToUtf8(text) : text;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) throw KrError("標準出力への書き込みエラー");
}

// --check: every finding of the three catalogs; a file that cannot be read
// is complained about, as the designer's error box would show it.
int RunCheck(const Arguments& args, std::ostream& out, std::ostream& err) {
    const CatalogFolderCheck check =
        CheckCatalogFiles(args.Units.empty() ? CatalogFilesOf(args) : CatalogFilesIn(args.Units.front()));
    for (const std::string& failure : check.Failures) Complain(err, failure);
    WriteText(out, check.Text, args.Utf8);
    // Warnings alone change no figure.
    return check.HasErrors || !check.Failures.empty() ? 1 : 0;
}

// A path inside CP932 text: its CP932 form, or, when it has none, the path
// with every byte outside ASCII shown as "?".
std::string PathInText(const fs::path& path) {
    const std::string shown = PathText(path);
    if (std::optional<std::string> cp932 = Utf8ToCp932(shown)) return *cp932;
    std::string ascii = shown;
    for (char& c : ascii)
        if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    return ascii;
}

// --compare: the two units, each loaded as for its report.
int RunCompare(const Arguments& args, std::ostream& out, std::ostream& err) {
    int status = 0;
    Catalogs catalogs;
    for (const std::string& message : LoadCatalogs(catalogs, CatalogFilesOf(args))) {
        Complain(err, message);
        status = 1;
    }
    const fs::path& a = args.Units[0];
    const fs::path& b = args.Units[1];
    std::unique_ptr<Designer> first;
    std::unique_ptr<Designer> second;
    try {
        first = LoadForReport(catalogs, a, err);
        second = LoadForReport(catalogs, b, err);
    } catch (const KrError& error) {
        Complain(err, error.what());
        return 1;
    }
    WriteText(out, BuildUnitComparison(first->Sheet, second->Sheet, PathInText(a), PathInText(b)), args.Utf8);
    return status;
}

fs::path ReportFileName(const fs::path& unit, ReportKind kind) {
    fs::path name = unit.filename();
    switch (kind) {
        case ReportKind::Html: name.replace_extension(".html"); break;
        case ReportKind::Pdf: name.replace_extension(".pdf"); break;
        case ReportKind::Png: name.replace_extension(".png"); break;
        default: name.replace_extension(".txt"); break;
    }
    return name;
}

bool IsDirectory(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

// Whether two paths name one file: the same file on disk (through links
// too), or the same place when neither exists yet.
bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    return fs::weakly_canonical(fs::absolute(a), ec) == fs::weakly_canonical(fs::absolute(b), ec);
}

// Runs the first of the programs that is there in place of this process,
// with the same arguments; returns only when none could be run.
int HandOver(const std::vector<fs::path>& programs, char** argv, std::ostream& out, std::ostream& err) {
    out.flush();
    err.flush();
    for (const fs::path& program : programs) {
        std::error_code ec;
        if (!fs::is_regular_file(program, ec)) continue;
        ::execv(program.c_str(), argv);
        Complain(err, FormatMessage("%s を実行できません: ", PathText(program)) + std::strerror(errno));
        return 1;
    }
    Complain(err, "記録用紙を描くプログラムが見つかりません: " +
                      (programs.empty() ? std::string() : PathText(programs.front())));
    return 1;
}

int Run(const Arguments& args, std::ostream& out, std::ostream& err, RecordSheetWriter* sheets) {
    if (args.Kind == ReportKind::Check) return RunCheck(args, out, err);
    if (args.Kind == ReportKind::Compare) return RunCompare(args, out, err);
    int status = 0;

    Catalogs catalogs;
    // As at the designer's start: a catalog that fails stays empty and the
    // others are still used.
    for (const std::string& message : LoadCatalogs(catalogs, CatalogFilesOf(args))) {
        Complain(err, message);
        status = 1;
    }

    // Where each report goes: standard output for a single unit without -o,
    // a file, or a folder that gets one file per unit. -o names a folder when
    // there are several units, when it is a folder, or when it ends with "/".
    std::optional<fs::path> folder;
    std::optional<fs::path> singleFile;
    if (args.Output) {
        const bool endsWithSeparator = !args.Output->empty() && !args.Output->has_filename();
        if (args.Units.size() > 1 || endsWithSeparator || IsDirectory(*args.Output)) {
            std::error_code ec;
            fs::create_directories(*args.Output, ec);
            if (!IsDirectory(*args.Output)) {
                Complain(err, FormatMessage("出力先 %s はフォルダではなく、作成もできません", PathText(*args.Output)));
                return 1;
            }
            folder = *args.Output;
        } else {
            singleFile = *args.Output;
        }
    }

    // A report never replaces one of the unit files it was asked to read,
    // and two units never write the same file.
    std::set<fs::path> written;
    const auto claim = [&](const fs::path& file) {
        for (const fs::path& input : args.Units)
            if (SameFile(file, input))
                throw KrError(FormatMessage("%s は読み込むユニットファイルなので上書きしません", PathText(file)));
        std::error_code ec;
        if (!written.insert(fs::weakly_canonical(fs::absolute(file), ec)).second)
            throw KrError(FormatMessage("%s は別のユニットファイルの出力に使われています", PathText(file)));
    };
    for (const fs::path& unit : args.Units) {
        try {
            if (!folder && !singleFile) {
                const std::vector<std::string> report = BuildReport(catalogs, unit, args, err, sheets);
                if (report.size() != 1)
                    throw KrError(FormatMessage("%s の記録用紙は 2 ページ以上あります: -o で出力先を指定してください",
                                                PathText(unit)));
                out.write(report.front().data(), static_cast<std::streamsize>(report.front().size()));
                out.flush();
                if (!out) throw KrError("標準出力への書き込みエラー");
                continue;
            }
            const fs::path target = folder ? *folder / ReportFileName(unit, args.Kind) : *singleFile;
            // The pictures' files are known once the pages are counted.
            if (args.Kind != ReportKind::Png) claim(target);
            const std::vector<std::string> report = BuildReport(catalogs, unit, args, err, sheets);
            if (IsSheet(args.Kind)) {
                const std::vector<fs::path> files =
                    args.Kind == ReportKind::Png ? PageFileNames(target, report.size()) : std::vector<fs::path>{target};
                if (args.Kind == ReportKind::Png)
                    for (const fs::path& file : files) claim(file);
                // Written as a save is: a file that cannot be written is left as it was.
                WritePageFiles(files, report);
            } else {
                WriteReportFile(target, report.front());
            }
        } catch (const std::exception& e) {
            Complain(err, e.what());
            status = 1;
        }
    }
    return status;
}

}  // namespace

int KrReportMain(int argc, char** argv, std::ostream& out, std::ostream& err, const SheetDrawing& sheets) {
    Arguments args;
    try {
        args = ParseArguments(argc, argv, sheets.Writer != nullptr || !sheets.Programs.empty());
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
    if (IsSheet(args.Kind) && sheets.Writer == nullptr) return HandOver(sheets.Programs, argv, out, err);
    try {
        return Run(args, out, err, sheets.Writer);
    } catch (const std::exception& e) {
        Complain(err, e.what());
        return 1;
    }
}

}  // namespace kr
