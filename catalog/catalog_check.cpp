#include "catalog_check.h"

#include "Pub1.h"
#include "catalog.h"
#include "codec.h"
#include "comma_text.h"
#include "krMove.h"
#include "krOption.h"
#include "krWeapon.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <unordered_map>
#include <utility>

namespace kr {

namespace {

constexpr auto WeaponColumns = DescribeColumns<TKrWeapon>();
constexpr auto OptionColumns = DescribeColumns<TKrOption>();
constexpr auto MoveColumns = DescribeColumns<TKrMove>();

constexpr int NameColumn = 1;

const std::string& ReplacementCharacter() {
    static const std::string text = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
    return text;
}

bool ConvertsCleanly(std::string_view bytes) {
    return Cp932ToUtf8(bytes).find(ReplacementCharacter()) == std::string::npos;
}

// The characters of a text as the field splitter walks them: a lead byte
// takes the byte after it along, whatever that byte is.
template <class Visit>
void ForEachCharacter(std::string_view text, Visit&& visit) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        visit(text.substr(i, length));
        i += length;
    }
}

std::string HexBytes(std::string_view bytes) {
    std::string hex;
    for (char byte : bytes) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%s0x%02X", hex.empty() ? "" : " ",
                      static_cast<unsigned>(static_cast<unsigned char>(byte)));
        hex += buffer;
    }
    return hex;
}

// The characters of a field that are not Shift_JIS, as hexadecimal bytes
// ("0x85 0x40, 0xFD"); empty when every character is.
struct BadCharacters {
    std::string Hex;
    // A lead byte took the comma after it along: two fields became one.
    bool TookComma = false;
};
BadCharacters FindBadCharacters(std::string_view text) {
    BadCharacters bad;
    if (ConvertsCleanly(text)) return bad;
    ForEachCharacter(text, [&](std::string_view character) {
        if (ConvertsCleanly(character)) return;
        if (!bad.Hex.empty()) bad.Hex += ", ";
        bad.Hex += HexBytes(character);
        if (character.size() == 2 && character[1] == ',') bad.TookComma = true;
    });
    return bad;
}

bool IsControlByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// A field as a message shows it: what is not a Shift_JIS character, and
// every control byte, as "〓", so that the message after it stays whole
// and nothing in it can steer a terminal.
std::string Shown(std::string_view field) {
    static const std::string geta = Sjis("〓");
    if (ConvertsCleanly(field) && std::none_of(field.begin(), field.end(), IsControlByte)) return std::string(field);
    std::string shown;
    ForEachCharacter(field, [&](std::string_view character) {
        const bool showable = ConvertsCleanly(character) && !(character.size() == 1 && IsControlByte(character[0]));
        shown += showable ? std::string(character) : geta;
    });
    return shown;
}

bool HasByteAbove127(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The field written as a quoted field: in double quotes, each double quote doubled.
std::string AsQuotedField(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

std::string Number(std::size_t n) { return std::to_string(n); }

// Whether the field starting at `start` follows a comma (with blanks
// around it), rather than a blank or a closing quote that ended the field
// before it.
bool FollowsComma(std::string_view line, std::size_t start) {
    std::size_t i = start;
    while (i > 0 && IsBlankByte(line[i - 1])) --i;
    return i > 0 && line[i - 1] == ',';
}

// Optional leading spaces, an optional sign and decimal digits: a number
// the integer rule refuses only for its size.
bool IsDecimalDigits(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i == text.size()) return false;
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// The findings' texts, CP932 around the bytes taken from the file.
struct Messages {
    std::string Quote = Sjis("「");
    std::string Unquote = Sjis("」");
    std::string NotAnInteger = Sjis("」は整数ではないので 0 と読みます");
    std::string Is = Sjis(" は ");
    std::string To = Sjis("～");
    std::string OutOfRange = Sjis(" の範囲外です。");
    std::string ReadAs = Sjis(" として読まれます");
    std::string CutAtBlank = Sjis("」は空白で切れて「");
    std::string CutAfterQuote = Sjis("」は閉じる \" の後で切れて「");
    std::string ReadAndMoves = Sjis("」と読まれ、後ろの列が ");
    std::string ColumnsMove = Sjis(" 列ずれます。");
    std::string ReadAndRestLost = Sjis("」と読まれ、残りは読まれません。");
    std::string QuoteBlank = Sjis("空白を含む欄は ");
    std::string LikeThis = Sjis(" のように \" で囲んでください");
    std::string QuoteQuotes = Sjis("\" を含む欄は全体を \" で囲み、中の \" は \"\" と書いてください");
    std::string SameNameOnLine = Sjis("」と同じ名前が ");
    std::string LaterLineWins = Sjis(" 行目にあり、そちらが使われます");
    std::string NoWeaponAbove = Sjis("」のすぐ上に武器の行がありません");
    std::string NotShiftJis = Sjis("Shift_JIS として読めないバイトがあります (");
    std::string CommaTaken = Sjis(")。カンマが前のバイトと一つの文字として読まれ、後ろの列がずれます");
    std::string SavedAsUtf8 = Sjis("UTF-8 で保存されているようです。Shift_JIS (CP932) で保存してください");
    std::string EmptyName = Sjis("名前が空です");
    std::string HeaderHas = Sjis("見出しは ");
    std::string ColumnsButCatalogHas = Sjis(" 列ですが、このカタログは ");
    std::string Columns = Sjis(" 列です");
    std::string LineHas = Sjis("この行は ");
    std::string ColumnsAndThisCatalog = Sjis(" 列あります。このカタログは ");
    std::string ColumnsSoFrom = Sjis(" 列なので「");
    std::string OnwardUnread = Sjis("」から後は読まれません");
};

const Messages& Text() {
    static const Messages messages;
    return messages;
}

// What a number column reads differently from how it is written: a text
// that is no number, or a number outside the width the entry keeps.
std::string NumberFinding(const CatalogColumn& column, std::string_view field) {
    const Messages& text = Text();
    const std::int64_t low = column.Bits == 8 ? 0 : INT32_MIN;
    const std::int64_t high = column.Bits == 8 ? 255 : INT32_MAX;
    const auto outOfRange = [&](std::int64_t readAs) {
        return std::string(field) + text.Is + std::to_string(low) + text.To + std::to_string(high) + text.OutOfRange +
               std::to_string(readAs) + text.ReadAs;
    };
    const std::optional<std::int32_t> value = ParseInt(field);
    if (!value) {
        if (IsDecimalDigits(field)) return outOfRange(0);
        return text.Quote + Shown(field) + text.NotAnInteger;
    }
    if (*value < low || *value > high) return outOfRange(static_cast<std::uint8_t>(*value));
    return {};
}

// A field of a line that a blank or a closing quote cut short: the finding
// at its column, and the first field after it that follows a comma again.
struct CutField {
    FindingSeverity Severity;
    std::string Message;
    std::size_t Rejoined;
};
CutField DescribeCut(std::span<const CatalogColumn> columns, std::string_view line,
                     const std::vector<std::string_view>& fields, const std::vector<std::size_t>& starts, int column) {
    const Messages& text = Text();
    const auto cutField = static_cast<std::size_t>(column);
    std::size_t rejoined = cutField + 1;
    while (rejoined < fields.size() && !FollowsComma(line, starts[rejoined])) ++rejoined;
    // As written: from the field to the comma before the next one.
    const std::size_t begin = starts[cutField];
    std::string_view written = line.substr(begin, (rejoined < fields.size() ? starts[rejoined] : line.size()) - begin);
    while (!written.empty() && (IsBlankByte(written.back()) || written.back() == ',')) written.remove_suffix(1);

    std::size_t before = starts[cutField + 1];
    while (before > 0 && IsBlankByte(line[before - 1])) --before;
    const bool afterQuote = before > 0 && line[before - 1] == '"';
    // An error when anything the designer reads changes: the cut field, or a
    // column it moves; the last column is a note.
    bool changes = false;
    for (std::size_t k = cutField; k < columns.size(); ++k)
        if (columns[k].Used && columns[k].Kind != ColumnKind::LastText) changes = true;

    std::string message = text.Quote + Shown(written) + (afterQuote ? text.CutAfterQuote : text.CutAtBlank) +
                          Shown(fields[cutField]);
    message += cutField + 1 == columns.size() ? text.ReadAndRestLost
                                              : text.ReadAndMoves + Number(rejoined - cutField - 1) + text.ColumnsMove;
    message += afterQuote ? text.QuoteQuotes : text.QuoteBlank + Shown(AsQuotedField(written)) + text.LikeThis;
    return {changes ? FindingSeverity::Error : FindingSeverity::Warning, std::move(message), rejoined};
}

}  // namespace

std::span<const CatalogColumn> CatalogColumns(CatalogKind kind) {
    switch (kind) {
        case CatalogKind::Weapon: return WeaponColumns;
        case CatalogKind::Option: return OptionColumns;
        case CatalogKind::Move: return MoveColumns;
    }
    return {};
}

bool LooksLikeUtf8(std::string_view text) {
    bool beyondAscii = false;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            ++i;
            continue;
        }
        beyondAscii = true;
        const std::size_t length = byte >= 0xC2 && byte <= 0xDF ? 2 : byte >= 0xE0 && byte <= 0xEF ? 3
                                                                  : byte >= 0xF0 && byte <= 0xF4 ? 4
                                                                                                 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        // No overlong forms, no surrogates, nothing beyond U+10FFFF.
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if ((byte == 0xE0 && second < 0xA0) || (byte == 0xED && second > 0x9F) || (byte == 0xF0 && second < 0x90) ||
            (byte == 0xF4 && second > 0x8F))
            return false;
        i += length;
    }
    return beyondAscii;
}

const char* CatalogFileName(CatalogKind kind) {
    switch (kind) {
        case CatalogKind::Weapon: return "weapon.csv";
        case CatalogKind::Option: return "option.csv";
        case CatalogKind::Move: return "move.csv";
    }
    return "";
}

std::vector<CatalogFinding> CheckCatalogText(CatalogKind kind, std::string_view bytes) {
    const std::span<const CatalogColumn> columns = CatalogColumns(kind);
    const int columnCount = static_cast<int>(columns.size());
    const Messages& text = Text();

    std::vector<CatalogFinding> findings;
    auto report = [&](std::size_t line, int column, FindingSeverity severity, std::string message) {
        findings.push_back(CatalogFinding{line, column, severity, std::move(message)});
    };

    LineReader lines(bytes);
    std::string_view line;
    std::vector<std::string_view> fields;
    std::vector<std::size_t> starts;
    std::string quoted;

    // A file saved as UTF-8 is read as Shift_JIS all the same: its names
    // come out garbled, and a byte of a character may take the comma after
    // it along. That is told once, at the first line beyond ASCII; what
    // follows from it is not told line by line.
    if (LooksLikeUtf8(bytes.substr(0, bytes.find('\0')))) {
        for (std::size_t number = 1; lines.Next(line); ++number) {
            if (!HasByteAbove127(line)) continue;
            SplitCommaFields(line, fields, quoted);
            const auto field = std::find_if(fields.begin(), fields.end(), HasByteAbove127);
            report(number, field == fields.end() ? 0 : static_cast<int>(field - fields.begin()),
                   FindingSeverity::Error, text.SavedAsUtf8);
            break;
        }
        return findings;
    }

    if (!lines.Next(line)) return findings;

    // The header is never read, but a header of another width usually means
    // the columns below it are not where the loader looks for them.
    SplitCommaFields(line, fields, quoted);
    if (static_cast<int>(fields.size()) != columnCount) {
        const int count = static_cast<int>(fields.size());
        report(1, std::min(count, columnCount), FindingSeverity::Warning,
               text.HeaderHas + DecimalText(count) + text.ColumnsButCatalogHas + DecimalText(columnCount) +
                   text.Columns);
    }

    // Every entry's name and line, and the line of the last entry of each name.
    std::vector<std::pair<std::string, std::size_t>> names;
    std::unordered_map<std::string, std::size_t> lastLineOfName;
    bool weaponAbove = false;

    for (std::size_t number = 2; lines.Next(line); ++number) {
        SplitCommaFields(line, fields, quoted, &starts);
        const int count = static_cast<int>(fields.size());
        // Only the last column may be missing; otherwise the load stops here
        // and reads no further line.
        if (count < columnCount - 1) {
            report(number, count, FindingSeverity::Error, Sjis(MissingColumnMessage(count)));
            break;
        }

        // A field that does not follow a comma starts where a blank or a
        // closing quote ended the one before it: that one is cut, and every
        // later column moves. After a cut that moves what the designer
        // reads, the numbers of the later columns are the moved ones, and
        // are not told again.
        int movedAfter = columnCount;
        bool cut = false;
        for (int column = 0; column + 1 < count && column < columnCount; ++column) {
            if (FollowsComma(line, starts[static_cast<std::size_t>(column) + 1])) continue;
            cut = true;
            CutField field = DescribeCut(columns, line, fields, starts, column);
            report(number, column, field.Severity, std::move(field.Message));
            if (field.Severity == FindingSeverity::Error) {
                movedAfter = column;
                break;
            }
            column = static_cast<int>(field.Rejoined) - 1;
        }
        if (!cut && count > columnCount)
            report(number, columnCount, FindingSeverity::Warning,
                   text.LineHas + DecimalText(count) + text.ColumnsAndThisCatalog + DecimalText(columnCount) +
                       text.ColumnsSoFrom + Shown(fields[static_cast<std::size_t>(columnCount)]) + text.OnwardUnread);

        for (int column = 0; column < std::min(count, columnCount); ++column) {
            const std::string_view field = fields[static_cast<std::size_t>(column)];
            const CatalogColumn& described = columns[static_cast<std::size_t>(column)];
            if (const BadCharacters bad = FindBadCharacters(field); !bad.Hex.empty()) {
                report(number, column, bad.TookComma ? FindingSeverity::Error : FindingSeverity::Warning,
                       text.NotShiftJis + bad.Hex + (bad.TookComma ? text.CommaTaken : std::string(")")));
                // The columns after two fields made one are moved, as after a cut.
                if (bad.TookComma) movedAfter = std::min(movedAfter, column);
            }
            if (described.Kind != ColumnKind::Number || column > movedAfter) continue;
            if (std::string message = NumberFinding(described, field); !message.empty())
                report(number, column, described.Used ? FindingSeverity::Error : FindingSeverity::Warning,
                       std::move(message));
        }

        const std::string_view name = fields[NameColumn];
        if (name.empty()) {
            report(number, NameColumn, FindingSeverity::Warning, text.EmptyName);
        } else {
            names.emplace_back(std::string(name), number);
            lastLineOfName[std::string(name)] = number;
        }
        if (kind == CatalogKind::Weapon) {
            const bool followUp = IsFollowUpName(name);
            if (followUp && !weaponAbove)
                report(number, NameColumn, FindingSeverity::Warning,
                       text.Quote + Shown(name) + text.NoWeaponAbove);
            weaponAbove = !followUp;
        }
    }

    // A name found again further down: the later entry is the one that unit
    // files and templates get.
    for (const auto& [name, number] : names) {
        const std::size_t last = lastLineOfName[name];
        if (last != number)
            report(number, NameColumn, FindingSeverity::Warning,
                   text.Quote + Shown(name) + text.SameNameOnLine + Number(last) + text.LaterLineWins);
    }

    std::stable_sort(findings.begin(), findings.end(), [](const CatalogFinding& a, const CatalogFinding& b) {
        return a.Line != b.Line ? a.Line < b.Line : a.Column < b.Column;
    });
    return findings;
}

std::string FindingText(CatalogKind kind, const CatalogFinding& finding) {
    std::string line = CatalogFileName(kind);
    line += ':';
    line += Number(finding.Line);
    line += ':';
    line += DecimalText(finding.Column);
    line += finding.Severity == FindingSeverity::Error ? ": error: " : ": warning: ";
    line += finding.Message;
    return line;
}

CatalogFolderCheck CheckCatalogFiles(const CatalogFiles& files) {
    CatalogFolderCheck check;
    for (CatalogKind kind : CatalogLoadOrder) {
        const std::filesystem::path& path = kind == CatalogKind::Weapon   ? files.Weapon
                                            : kind == CatalogKind::Option ? files.Option
                                                                          : files.Move;
        std::string bytes;
        try {
            bytes = ReadWholeFile(path, CatalogFileSizeLimit);
        } catch (const KrError& error) {
            check.Failures.emplace_back(error.what());
            continue;
        }
        for (const CatalogFinding& finding : CheckCatalogText(kind, bytes)) {
            check.Text += FindingText(kind, finding);
            check.Text += "\r\n";
            if (finding.Severity == FindingSeverity::Error) check.HasErrors = true;
        }
    }
    return check;
}

}  // namespace kr
