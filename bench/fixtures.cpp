#include "fixtures.h"

#include "codec.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace krbench {

namespace {

// A small deterministic generator, so that a fixture is the same on every machine.
class Dice {
public:
    explicit Dice(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Between(int low, int high) { return low + static_cast<int>(Next() % static_cast<std::uint64_t>(high - low + 1)); }
    bool OneIn(int n) { return Next() % static_cast<std::uint64_t>(n) == 0; }
    template <class List>
    const auto& Pick(const List& list) {
        return list[Next() % list.size()];
    }

private:
    std::uint64_t state_;
};

std::vector<std::string> Encoded(std::initializer_list<const char*> words) {
    std::vector<std::string> out;
    for (const char* w : words) out.push_back(kr::Sjis(w));
    return out;
}

struct Words {
    std::vector<std::string> WeaponNames = Encoded({"ﾐｻｲﾙﾗﾝﾁｬｰ", "ｵｰﾄｷｬﾉﾝ", "無反動砲", "機関銃", "ﾚｰﾙｶﾞﾝ", "火炎放射器",
                                                    "ﾊﾟｲﾙﾊﾞﾝｶｰ", "ﾋｰﾄﾛｯﾄﾞ", "ﾛｹｯﾄ砲", "狙撃ﾗｲﾌﾙ", "電磁ﾅｲﾌ", "ｼｮｯﾄｶﾞﾝ"});
    std::vector<std::string> FollowUpNames = Encoded({"└予備弾倉", "└追加弾頭", "└冷却ﾀﾝｸ", "└ﾊﾞｯﾃﾘｰﾊﾟｯｸ"});
    std::vector<std::string> WeaponKinds = Encoded({"機関銃", "機関砲", "ミサイル", "砲", "格闘", "火炎", "特殊"});
    std::vector<std::string> OptionNames = Encoded({"増加装甲", "暗視ｶﾒﾗ", "ﾓﾙｶﾞ製ｾﾝｻｰ", "出力強化", "気密/防水加工", "ﾚｰﾀﾞｰ",
                                                    "ｼﾞｬﾐﾝｸﾞ装置", "冷却ﾕﾆｯﾄ", "予備ﾊﾞｯﾃﾘｰ", "姿勢制御ｼｽﾃﾑ"});
    std::vector<std::string> MoveNames = Encoded({"ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ", "二脚歩行", "四脚歩行", "ﾎｳﾞｧﾘﾝｸﾞﾉｽﾞﾙ", "宇宙用ﾊﾞｰﾆｱ",
                                                  "無限軌道", "跳躍ﾌﾞｰｽﾀｰ", "水中推進器"});
    std::vector<std::string> MoveKinds = Encoded({"車輪", "脚", "装軌", "推進器", "浮遊"});
    std::vector<std::string> Remarks = Encoded({"標準的な装備", "徹甲弾使用", "誘導式", "使い捨て", "反動が大きい",
                                                "整備性に優れる", "夜間でも使用可能", "連続使用で過熱する",
                                                "水中・宇宙空間での行動が可能", "センサー+2", "射撃修正+1"});
    std::vector<std::string> Classes = {"L", "M", "H", "XH"};
    std::string Mark = kr::Sjis("改");
    std::string WeaponHeader = kr::Sjis(
        "コード,武器名称,種別,命中方式,値段,CP,BP,ｸﾗｽ,威力,命中1,命中2,命中3,命中4,射程,回数,間接,連射,予備,備考");
    std::string OptionHeader =
        kr::Sjis("コード,オプション名,値段,CP,BP,ｸﾗｽ,射撃,格闘,回避,装甲,パワー,センサー,移動修正,予備,効果");
    std::string MoveHeader = kr::Sjis("コード,移動方式,分類,値段,CP,BP,ｸﾗｽ,移動,重量修正,旋回,予備,備考");
};

const Words& W() {
    static const Words words;
    return words;
}

std::string Code(char letter, std::size_t index) {
    char code[32];
    std::snprintf(code, sizeof code, "%c%06zu", letter, index + 1);
    return code;
}

// Every fourth name carries a full-width mark; all carry their number, so names are unique.
std::string NameOf(const std::vector<std::string>& words, std::size_t index) {
    std::string name = words[index % words.size()] + "Mk" + std::to_string(index / words.size() + 1);
    if (index % 4 == 3) name += W().Mark;
    return name;
}

bool IsFollowUpIndex(std::size_t index) { return index % 10 == 4; }

std::string WeaponName(std::size_t index) {
    return IsFollowUpIndex(index) ? NameOf(W().FollowUpNames, index) : NameOf(W().WeaponNames, index);
}
std::string OptionName(std::size_t index) { return NameOf(W().OptionNames, index); }
std::string MoveName(std::size_t index) { return NameOf(W().MoveNames, index); }

std::string Price(Dice& dice) {
    const int price = dice.Between(1, 400) * 50;
    if (!dice.OneIn(20)) return std::to_string(price);
    static const char* digits = "0123456789ABCDEF";
    std::string hex;
    for (int v = price; v > 0; v /= 16) hex.insert(hex.begin(), digits[v % 16]);
    return "$" + hex;
}

// The last column: plain, quoted with a comma, quoted with doubled quotes,
// empty behind a final comma, or missing altogether.
void AppendLastColumn(std::string& line, Dice& dice) {
    const int shape = dice.Between(0, 19);
    if (shape == 0) {
        return;  // the line lacks the column
    }
    line += ',';
    if (shape == 1) return;  // empty behind the final comma
    if (shape <= 4) {
        line += '"' + dice.Pick(W().Remarks) + ',' + dice.Pick(W().Remarks) + '"';
    } else if (shape == 5) {
        line += "\"" + dice.Pick(W().Remarks) + "\"\"" + dice.Pick(W().Remarks) + "\"\"\"";
    } else {
        line += dice.Pick(W().Remarks);
    }
}

std::string Join(std::initializer_list<std::string> fields) {
    std::string line;
    for (const std::string& f : fields) {
        if (!line.empty()) line += ',';
        line += f;
    }
    return line;
}

std::string Num(int n) { return std::to_string(n); }

template <class MakeLine>
std::string CatalogText(const std::string& header, std::size_t entries, std::uint64_t seed, MakeLine makeLine) {
    Dice dice(seed);
    std::string text = header + "\r\n";
    text.reserve(entries * 110);
    for (std::size_t i = 0; i < entries; ++i) {
        text += makeLine(i, dice);
        text += "\r\n";
    }
    return text;
}

}  // namespace

std::string WeaponCatalogText(std::size_t entries) {
    return CatalogText(W().WeaponHeader, entries, 0x57, [](std::size_t i, Dice& dice) {
        const bool followUp = IsFollowUpIndex(i);
        const bool melee = !followUp && dice.OneIn(5);
        const int damage = followUp ? 0 : melee ? -dice.Between(1, 4) : dice.Between(1, 12);
        std::string line = Join({Code('W', i), WeaponName(i), dice.Pick(W().WeaponKinds), Num(dice.Between(0, 1)),
                                 Price(dice), Num(dice.Between(0, 2)), Num(dice.Between(0, 3)), dice.Pick(W().Classes),
                                 Num(damage), Num(dice.Between(-2, 2)), Num(dice.Between(-2, 2)),
                                 Num(dice.Between(-3, 1)), Num(dice.Between(-4, 0)), Num(melee ? 0 : dice.Between(1, 12)),
                                 dice.OneIn(3) ? std::string() : Num(dice.Between(1, 12)), Num(dice.Between(0, 1)),
                                 Num(dice.Between(0, 1)), "0"});
        AppendLastColumn(line, dice);
        return line;
    });
}

std::string OptionCatalogText(std::size_t entries) {
    return CatalogText(W().OptionHeader, entries, 0x4F, [](std::size_t i, Dice& dice) {
        std::string line = Join({Code('O', i), OptionName(i), Price(dice), Num(dice.Between(0, 2)),
                                 Num(dice.Between(0, 2)), dice.Pick(W().Classes), Num(dice.Between(-1, 2)),
                                 Num(dice.Between(-1, 2)), Num(dice.Between(-2, 1)), Num(dice.Between(0, 2)),
                                 Num(dice.Between(0, 2)), Num(dice.Between(0, 2)), Num(dice.Between(0, 1)), "0"});
        AppendLastColumn(line, dice);
        return line;
    });
}

std::string MoveCatalogText(std::size_t entries) {
    return CatalogText(W().MoveHeader, entries, 0x4D, [](std::size_t i, Dice& dice) {
        std::string line = Join({Code('M', i), MoveName(i), dice.Pick(W().MoveKinds), Price(dice),
                                 Num(dice.Between(0, 2)), Num(dice.Between(0, 2)), dice.Pick(W().Classes),
                                 Num(dice.Between(2, 12)), Num(dice.Between(0, 3)), Num(dice.Between(1, 4)), "0"});
        AppendLastColumn(line, dice);
        return line;
    });
}

std::string UnitFileText(std::size_t rows, std::size_t catalogEntries) {
    const std::size_t moves = rows / 10;
    const std::size_t options = rows * 3 / 10;
    const std::size_t weapons = rows - moves - options;
    std::string text = kr::Sjis("[基本性能]\r\n名称=KRH-99-LX ベンチマーク\r\n");
    for (const char* key : {"射撃", "格闘", "回避", "装甲", "ＨＰ", "パワー", "センサー", "パンチ", "カスタムポイント"})
        text += kr::Sjis(key) + "=3\r\n";
    text += kr::Sjis("価格") + "=12000\r\n";
    text += kr::Sjis("クラス") + "=H\r\n";
    // Entries spread over the whole catalog; a weapon is taken with the
    // follow-up row below it, as the weapon picker adds them.
    const auto spread = [catalogEntries](std::size_t k) { return (k * 7919 + 13) % catalogEntries; };
    text += kr::Sjis("[移動]") + "\r\n";
    for (std::size_t k = 0; k < moves; ++k) text += "MOVE" + std::to_string(k) + "=" + MoveName(spread(k)) + "\r\n";
    text += kr::Sjis("[武装]") + "\r\n";
    for (std::size_t k = 0, n = 0; n < weapons; ++k) {
        std::size_t index = spread(k);
        if (IsFollowUpIndex(index)) --index;
        text += "WEAPON" + std::to_string(n++) + "=" + WeaponName(index) + "\r\n";
        if (n < weapons && index + 1 < catalogEntries && IsFollowUpIndex(index + 1))
            text += "WEAPON" + std::to_string(n++) + "=" + WeaponName(index + 1) + "\r\n";
    }
    text += kr::Sjis("[オプション]") + "\r\n";
    for (std::size_t k = 0; k < options; ++k)
        text += "OPTION" + std::to_string(k) + "=" + OptionName(spread(k)) + "\r\n";
    return text;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WriteCatalogs(const std::filesystem::path& directory, std::size_t entries) {
    std::filesystem::create_directories(directory);
    WriteFile(directory / "weapon.csv", WeaponCatalogText(entries));
    WriteFile(directory / "option.csv", OptionCatalogText(entries));
    WriteFile(directory / "move.csv", MoveCatalogText(entries));
}

std::filesystem::path CatalogDirectory(const std::filesystem::path& root, std::size_t entries) {
    return root / ("catalogs-" + std::to_string(entries));
}

std::filesystem::path UnitFile(const std::filesystem::path& root, std::size_t rows) {
    return root / "units" / ("unit-" + std::to_string(rows) + ".kr");
}

void WriteFixtureTree(const std::filesystem::path& root) {
    for (std::size_t entries : {std::size_t{0}, std::size_t{1000}, std::size_t{10000}, LargestCatalog})
        WriteCatalogs(CatalogDirectory(root, entries), entries);
    std::filesystem::create_directories(root / "units");
    for (std::size_t rows : {10, 100, 1000, 10000})
        WriteFile(UnitFile(root, rows), UnitFileText(rows, LargestCatalog));
    // Catalogs of a million entries per kind (about 230 MB in all): the
    // growth of catalog loading, the start-up and the pickers at that size.
    WriteCatalogs(CatalogDirectory(root, HugeCatalog), HugeCatalog);
}

}  // namespace krbench
