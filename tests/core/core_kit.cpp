#include "core_kit.h"

#include "Pub1.h"

#include <iconv.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testkit {

namespace {

std::string Iconv(const char* to, const char* from, std::string_view text) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
    std::string out(text.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* dst = out.data();
    size_t outLeft = out.size();
    size_t r = iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1)) throw std::runtime_error("iconv: no such character");
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

std::string IconvCp932(std::string_view utf8) { return Iconv("CP932", "UTF-8", utf8); }

std::string IconvUtf8(std::string_view cp932) { return Iconv("UTF-8", "CP932", cp932); }

Texts IconvCp932(std::initializer_list<const char*> utf8) {
    Texts texts;
    for (const char* text : utf8) texts.push_back(IconvCp932(text));
    return texts;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "krtest-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Give back write permission that a test may have taken away.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> FolderListing(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) names.insert(item.path().filename().string());
    return names;
}

int ModeOf(const std::filesystem::path& path) { return static_cast<int>(std::filesystem::status(path).permissions()); }

int InRestrictedChild(rlim_t sizeLimit, const std::function<bool()>& check) {
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{sizeLimit, sizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        if (geteuid() == 0 && setuid(65534) != 0) _exit(100);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    if (child == -1 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const kr::KrError& error) {
        return error.what();
    }
    return "";
}

std::string WriteErrorOf(const std::filesystem::path& path) { return path.string() + " に書き込めません"; }
std::string CannotOpen(const std::filesystem::path& path) { return "ファイル " + path.string() + " は開けません"; }

std::string OptionHeader() {
    return IconvCp932("コード,オプション名,値段,CP,BP,ｸﾗｽ,射撃,格闘,回避,装甲,パワー,センサー,移動,予備,効果\r\n");
}
std::string WeaponHeader() {
    return IconvCp932("コード,武器名称,種別,命中方式,値段,CP,BP,ｸﾗｽ,威力,命中1,命中2,命中3,命中4,射程,回数,間接,連射,"
                      "予備,備考\r\n");
}
std::string MoveHeader() {
    return IconvCp932("コード,移動方式,予備,値段,CP,BP,ｸﾗｽ,移動,重量ペナルティ,旋回,予備,備考\r\n");
}

namespace {

template <class List>
const auto& EntryOfLine(const std::string& header, std::string_view utf8Line) {
    static std::deque<List> catalogs;
    List& catalog = catalogs.emplace_back();
    catalog.LoadCatalogText(header + IconvCp932(utf8Line) + "\r\n");
    if (catalog.Count() != 1) throw std::runtime_error("not one entry: " + std::string(utf8Line));
    return *catalog.EntryByIndex(0);
}

}  // namespace

const kr::TKrOption& OptionEntry(std::string_view line) { return EntryOfLine<kr::TKROptionList>(OptionHeader(), line); }
const kr::TKrMove& MoveEntry(std::string_view line) { return EntryOfLine<kr::TKRMoveList>(MoveHeader(), line); }
const kr::TKrWeapon& WeaponEntry(std::string_view line) { return EntryOfLine<kr::TKRWeaponList>(WeaponHeader(), line); }

std::filesystem::path ShippedData() { return KR_SHIPPED_DATA_DIR; }

const kr::Catalogs& ShippedCatalogs() {
    static const kr::Catalogs* catalogs = [] {
        auto* loaded = new kr::Catalogs;
        if (!kr::LoadCatalogs(*loaded, ShippedData()).empty()) throw std::runtime_error("shipped catalogs");
        return loaded;
    }();
    return *catalogs;
}

std::unique_ptr<kr::Designer> NewDesigner(const kr::Catalogs& catalogs) {
    auto designer = std::make_unique<kr::Designer>(catalogs);
    kr::FillPickers(*designer);
    return designer;
}

std::vector<std::int32_t> BaseFigures(const kr::UnitSheet& s) {
    return {s.BaseFire,  s.BaseMelee, s.BaseEvasion, s.BaseArmor,        s.BaseDurability, s.BasePower,
            s.BasePunch, s.BaseSensor, s.BaseCP,     s.BackpackCapacity, s.BasePrice};
}

void SetBaseFigures(kr::UnitSheet& s, const std::vector<std::int32_t>& figures) {
    std::int32_t* fields[] = {&s.BaseFire,  &s.BaseMelee,  &s.BaseEvasion, &s.BaseArmor,        &s.BaseDurability,
                              &s.BasePower, &s.BasePunch, &s.BaseSensor,  &s.BaseCP, &s.BackpackCapacity, &s.BasePrice};
    if (figures.size() != std::size(fields)) throw std::logic_error("eleven base figures");
    for (std::size_t i = 0; i < figures.size(); ++i) *fields[i] = figures[i];
}

Texts BoxTexts(const kr::UnitSheet& sheet) {
    using kr::SheetFigure;
    const kr::FigureTexts& b = sheet.Boxes;
    return {b[SheetFigure::Fire],  b[SheetFigure::Melee], b[SheetFigure::Evasion], b[SheetFigure::Sensor],
            b[SheetFigure::Armor], b[SheetFigure::Durability], b[SheetFigure::Power], b[SheetFigure::Punch],
            b[SheetFigure::CP],    b[SheetFigure::Price], b.Class, b[SheetFigure::Backpack]};
}

ToolRun RunKrReport(const std::vector<std::string>& args, const std::string& environment) {
    const auto quoted = [](const std::string& arg) { return "'" + arg + "'"; };
    TempDir capture;
    std::string command = environment + " " + quoted(KR_RUNTIME_DIR "/krreport");
    for (const std::string& arg : args) command += " " + quoted(arg);
    command += " >" + quoted((capture / "out").string()) + " 2>" + quoted((capture / "err").string());
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.Out = ReadBytes(capture / "out");
    run.Err = ReadBytes(capture / "err");
    return run;
}

std::string PdfText(const std::filesystem::path& pdf) {
    TempDir capture;
    const std::filesystem::path text = capture / "text";
    const std::string command = "pdftotext -enc UTF-8 '" + pdf.string() + "' '" + text.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("pdftotext cannot read " + pdf.string() +
                                 " (is poppler-utils installed? scripts/install-deps.sh test)");
    return ReadBytes(text);
}

}  // namespace testkit
