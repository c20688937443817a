#include "catalog_check.h"

#include "Pub1.h"
#include "catalog.h"
#include "codec.h"
#include "com.h"
#include "comma_text.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <utility>

namespace kr {

namespace {

// What each column of a kind holds, in column order, as the kind's Fill
// reads it: 'T' a text, 'N' a number (ParseIntDefault with fallback 0, kept
// whole or in its low eight bits), 'L' the last column, a text that may be
// left out.
std::string_view ColumnsOf(CatalogKind kind) {
    switch (kind) {
        case CatalogKind::Weapon: return "TTTNNNNTNNNNNNTNNNL";
        case CatalogKind::Option: return "TTNNNTNNNNNNNNL";
        case CatalogKind::Move: return "TTTNNNTNNNNL";
    }
    return {};
}

constexpr int NameColumn = 1;

const std::string& ReplacementCharacter() {
    static const std::string text = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
    return text;
}

bool ConvertsCleanly(std::string_view bytes) {
    return Cp932ToUtf8(bytes).find(ReplacementCharacter()) == std::string::npos;
}

// The first character of the text that is not Shift_JIS, as hexadecimal
// bytes ("0x85 0x40"), or "" when every character is. A character is one
// byte, or two after a lead byte, as the field splitter walks them.
std::string FirstBadCharacter(std::string_view text) {
    if (ConvertsCleanly(text)) return {};
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        const std::string_view character = text.substr(i, length);
        if (!ConvertsCleanly(character)) {
            std::string hex;
            for (char byte : character) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "%s0x%02X", hex.empty() ? "" : " ",
                              static_cast<unsigned>(static_cast<unsigned char>(byte)));
                hex += buffer;
            }
            return hex;
        }
        i += length;
    }
    return {};
}

std::string Number(std::size_t n) { return std::to_string(n); }

// The findings' texts, CP932 around the bytes taken from the file.
struct Messages {
    std::string Quote = Sjis("「");
    std::string Unquote = Sjis("」");
    std::string NotAnInteger = Sjis("」は整数ではないので 0 と読みます");
    std::string SameNameOnLine = Sjis("」と同じ名前が ");
    std::string LaterLineWins = Sjis(" 行目にあり、そちらが使われます");
    std::string NoWeaponAbove = Sjis("」のすぐ上に武器の行がありません");
    std::string NotShiftJis = Sjis("Shift_JIS として読めないバイトがあります (");
    std::string EmptyName = Sjis("名前が空です");
    std::string HeaderHas = Sjis("見出しは ");
    std::string ColumnsButCatalogHas = Sjis(" 列ですが、このカタログは ");
    std::string Columns = Sjis(" 列です");
};

const Messages& Text() {
    static const Messages messages;
    return messages;
}

}  // namespace

const char* CatalogFileName(CatalogKind kind) {
    switch (kind) {
        case CatalogKind::Weapon: return "weapon.csv";
        case CatalogKind::Option: return "option.csv";
        case CatalogKind::Move: return "move.csv";
    }
    return "";
}

std::string MissingColumnMessage(int column) {
    return FormatMessage("リストのインデックスが範囲を超えています (%d)", DecimalText(column));
}

std::string CatalogLineMessage(std::string_view fileName, std::size_t line, std::string_view message) {
    std::string text(fileName);
    text += ' ';
    text += Number(line);
    text += " 行目: ";
    text += message;
    return text;
}

std::size_t LineNumberOf(std::string_view text, std::string_view line) {
    LineReader lines(text);
    std::string_view current;
    std::size_t number = 0;
    // Every line starts after the one before it, so the start tells them apart.
    while (lines.Next(current)) {
        ++number;
        if (current.data() == line.data()) return number;
    }
    return number;
}

std::vector<CatalogFinding> CheckCatalogText(CatalogKind kind, std::string_view bytes) {
    const std::string_view columns = ColumnsOf(kind);
    const int columnCount = static_cast<int>(columns.size());
    const Messages& text = Text();

    std::vector<CatalogFinding> findings;
    auto report = [&](std::size_t line, int column, std::string message) {
        findings.push_back(CatalogFinding{line, column, std::move(message)});
    };

    LineReader lines(bytes);
    std::string_view line;
    std::vector<std::string_view> fields;
    std::string quoted;
    if (!lines.Next(line)) return findings;

    // The header is never read, but a header of another width usually means
    // the columns below it are not where the loader looks for them.
    SplitCommaFields(line, fields, quoted);
    if (static_cast<int>(fields.size()) != columnCount) {
        const int count = static_cast<int>(fields.size());
        report(1, std::min(count, columnCount),
               text.HeaderHas + DecimalText(count) + text.ColumnsButCatalogHas + DecimalText(columnCount) +
                   text.Columns);
    }

    // Every entry's name and line, and the line of the last entry of each name.
    std::vector<std::pair<std::string, std::size_t>> names;
    std::unordered_map<std::string, std::size_t> lastLineOfName;
    bool weaponAbove = false;

    for (std::size_t number = 2; lines.Next(line); ++number) {
        SplitCommaFields(line, fields, quoted);
        const int count = static_cast<int>(fields.size());
        // Only the last column may be missing; otherwise the load stops here
        // and reads no further line.
        if (count < columnCount - 1) {
            report(number, count, Sjis(MissingColumnMessage(count)));
            break;
        }
        for (int column = 0; column < std::min(count, columnCount); ++column) {
            const std::string_view field = fields[static_cast<std::size_t>(column)];
            if (const std::string bad = FirstBadCharacter(field); !bad.empty())
                report(number, column, text.NotShiftJis + bad + ")");
            if (columns[static_cast<std::size_t>(column)] == 'N' && !ParseInt(field))
                report(number, column, text.Quote + std::string(field) + text.NotAnInteger);
        }

        const std::string_view name = fields[NameColumn];
        if (name.empty()) {
            report(number, NameColumn, text.EmptyName);
        } else {
            names.emplace_back(std::string(name), number);
            lastLineOfName[std::string(name)] = number;
        }
        if (kind == CatalogKind::Weapon) {
            const bool followUp = IsFollowUpName(name);
            if (followUp && !weaponAbove)
                report(number, NameColumn, text.Quote + std::string(name) + text.NoWeaponAbove);
            weaponAbove = !followUp;
        }
    }

    // A name found again further down: the later entry is the one that unit
    // files and templates get.
    for (const auto& [name, number] : names) {
        const std::size_t last = lastLineOfName[name];
        if (last != number)
            report(number, NameColumn,
                   text.Quote + name + text.SameNameOnLine + Number(last) + text.LaterLineWins);
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
    line += ": ";
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
        }
    }
    return check;
}

}  // namespace kr
