#include "unit_file.h"

#include "Pub1.h"
#include "codec.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace kr {

namespace {

// Section and key names of the unit file as CP932 bytes.
struct UnitFileNames {
    std::string Basic = Sjis("基本性能");
    std::string Name = Sjis("名称");
    std::string Class = Sjis("クラス");
    std::array<std::string, UnitFigureCount> Figures;
    std::string Moves = Sjis("移動");
    std::string Weapons = Sjis("武装");
    std::string Options = Sjis("オプション");

    UnitFileNames() {
        for (std::size_t i = 0; i < UnitFigureCount; ++i) Figures[i] = Sjis(UnitFileFigureKeys[i]);
    }
};

const UnitFileNames& Names() {
    static const UnitFileNames names;
    return names;
}

// Replaces a list's section with one entry per name, keyed by its position.
void WriteListSection(ProfileDocument& document, const std::string& section, std::string_view keyPrefix,
                      const std::vector<std::string>& names) {
    ProfileEntries entries;
    entries.reserve(names.size());
    for (std::size_t n = 0; n < names.size(); ++n)
        entries.emplace_back(std::string(keyPrefix) + std::to_string(n), names[n]);
    document.ReplaceSection(section, entries);
}

// The values of a list section in the order of their lines.
std::vector<std::string> ReadListSection(const ProfileDocument& document, const std::string& section) {
    std::vector<std::string> names;
    for (auto& [key, value] : document.ReadEntries(section)) names.push_back(std::move(value));
    return names;
}

}  // namespace

UnitFileContent ReadUnitFileContent(const std::filesystem::path& path) {
    return ReadUnitDocument(ProfileDocument(ReadWholeFile(path)));
}

namespace {

std::string ClassFromFile(std::string text) {
    // A lone CR or a NUL in the line could never be saved again (the store
    // refuses them): they go first, and so do the blanks they leave at either
    // end, which a value read back never has. Only then are the letters
    // upper-cased, so that the bytes pair into characters as they will when
    // the class is read back.
    std::erase_if(text, [](char c) { return LineBreakingBytes.find(c) != std::string_view::npos; });
    const auto notBlank = [](char c) { return !IsBlankByte(c); };
    text.erase(std::find_if(text.rbegin(), text.rend(), notBlank).base(), text.end());
    text.erase(text.begin(), std::find_if(text.begin(), text.end(), notBlank));
    return UpperAsciiLetters(text);
}

}  // namespace

UnitFileContent ReadUnitDocument(const ProfileDocument& document) {
    const UnitFileNames& names = Names();
    UnitFileContent content;
    content.Name = document.ReadText(names.Basic, names.Name, "");
    for (std::size_t i = 0; i < UnitFigureCount; ++i)
        content.Figures[i] = document.ReadNumber(names.Basic, names.Figures[i], 0);
    content.Class = ClassFromFile(document.ReadText(names.Basic, names.Class, ""));
    content.Moves = ReadListSection(document, names.Moves);
    content.Weapons = ReadListSection(document, names.Weapons);
    content.Options = ReadListSection(document, names.Options);
    return content;
}

bool HoldsUnitDesign(const ProfileDocument& document) {
    const UnitFileNames& names = Names();
    // No value read back holds a line break: the fallback tells a missing key.
    const std::string_view missing = "\n";
    return document.ReadText(names.Basic, names.Name, missing) != missing &&
           document.ReadText(names.Basic, names.Class, missing) != missing;
}

void WriteUnitDocument(ProfileDocument& document, const UnitFileContent& content) {
    const UnitFileNames& names = Names();
    document.WriteText(names.Basic, names.Name, content.Name);
    for (std::size_t i = 0; i < UnitFigureCount; ++i)
        document.WriteNumber(names.Basic, names.Figures[i], content.Figures[i]);
    document.WriteText(names.Basic, names.Class, content.Class);
    WriteListSection(document, names.Moves, "MOVE", content.Moves);
    WriteListSection(document, names.Weapons, "WEAPON", content.Weapons);
    WriteListSection(document, names.Options, "OPTION", content.Options);
}

void WriteUnitFileContent(const std::filesystem::path& path, const UnitFileContent& content) {
    // The writes of a save apply to the file's content in memory and reach
    // the disk in one replacement, so a failure leaves the old file whole.
    ProfileFile(path).Edit([&](ProfileDocument& document) { WriteUnitDocument(document, content); });
}

}  // namespace kr
