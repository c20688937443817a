// Loading any bytes as each of the three catalogs. Properties: only the
// program's own error escapes, and only the list-index error of a column
// before the last, naming the file and the failing line; entries are the
// lines in file order up to the failing one; every name finds the last entry
// of that name; a missing last column is " "; read from a file in blocks of
// any size, the same entries and the same failure.
#include "Pub1.h"
#include "comma_text.h"
#include "../text_kit.h"
#include "fuzz_kit.h"
#include "krMove.h"
#include "krOption.h"
#include "krWeapon.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

template <class List, class Entry>
void CheckCatalogLoad(std::string_view text, int lastColumn, std::string_view (*lastText)(const Entry&)) {
    const std::vector<std::string_view> lines = textkit::SplitLines(text);
    const std::size_t entryLines = lines.size() < 2 ? 0 : lines.size() - 1;

    List catalog;
    bool failed = false;
    std::string message;
    try {
        catalog.LoadCatalogText(text);
    } catch (const kr::KrError& error) {
        failed = true;
        message = error.what();
        // "<file> <line> 行目: " names the failing line: the one after the
        // last entry, counting the header as line 1.
        const std::string where = std::string(kr::CatalogTraits<Entry>::FileName) + " " +
                                  std::to_string(catalog.Count() + 2) + " 行目: ";
        const std::string prefix = where + "リストのインデックスが範囲を超えています (";
        FUZZ_CHECK(message.rfind(prefix, 0) == 0 && message.back() == ')');
        const std::string column = message.substr(prefix.size(), message.size() - prefix.size() - 1);
        const std::int32_t missing = kr::ParseIntDefault(column, -1);
        FUZZ_CHECK(missing >= 0 && missing < lastColumn);
        // The failing line is the one after the last entry, and it lacks that column.
        FUZZ_CHECK(catalog.Count() < entryLines);
        FUZZ_CHECK(textkit::SplitCommaText(lines[catalog.Count() + 1]).size() == static_cast<std::size_t>(missing));
    }
    if (!failed) FUZZ_CHECK(catalog.Count() == entryLines);

    for (std::size_t i = 0; i < catalog.Count(); ++i) {
        const auto& entry = *catalog.EntryByIndex(i);
        const std::vector<std::string> fields = textkit::SplitCommaText(lines[i + 1]);
        FUZZ_CHECK(fields.size() >= static_cast<std::size_t>(lastColumn));
        FUZZ_CHECK(entry.Name == fields[1]);
        FUZZ_CHECK(lastText(entry) == (fields.size() > static_cast<std::size_t>(lastColumn)
                                           ? std::string_view(fields[static_cast<std::size_t>(lastColumn)])
                                           : std::string_view(" ")));
        // The last entry of a name wins.
        const auto* found = catalog.FindByName(entry.Name);
        FUZZ_CHECK(found != nullptr && found->Name == entry.Name);
        bool later = found == &entry;
        for (std::size_t j = i + 1; j < catalog.Count() && !later; ++j) later = catalog.EntryByIndex(j) == found;
        FUZZ_CHECK(later);
    }

    const std::filesystem::path file = fuzzkit::ScratchFolder() / kr::CatalogTraits<Entry>::FileName;
    fuzzkit::WriteFile(file, text);
    List fromFile;
    std::string fileMessage;
    try {
        fromFile.LoadCatalogFile(file, 1 + text.size() % 61);
    } catch (const kr::KrError& error) {
        fileMessage = error.what();
    }
    FUZZ_CHECK(fileMessage == message);
    FUZZ_CHECK(fromFile.Count() == catalog.Count());
    for (std::size_t i = 0; i < catalog.Count(); ++i) {
        FUZZ_CHECK(fromFile.EntryByIndex(i)->Name == catalog.EntryByIndex(i)->Name);
        FUZZ_CHECK(lastText(*fromFile.EntryByIndex(i)) == lastText(*catalog.EntryByIndex(i)));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckCatalogLoad<kr::TKROptionList, kr::TKrOption>(text, 14, [](const kr::TKrOption& e) { return std::string_view(e.Effect); });
    CheckCatalogLoad<kr::TKRWeaponList, kr::TKrWeapon>(text, 18, [](const kr::TKrWeapon& e) { return std::string_view(e.Notes); });
    CheckCatalogLoad<kr::TKRMoveList, kr::TKrMove>(text, 11, [](const kr::TKrMove& e) { return std::string_view(e.Notes); });
    return 0;
}
