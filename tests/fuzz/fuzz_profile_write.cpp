// The profile-file store's writes (WriteText, WriteNumber, DeleteSection,
// ReplaceSection) on
// any file content, in memory and on a real file. Properties: a written value
// reads back as written (without blanks at its ends, cut to 2,047 bytes); a
// written number reads back as itself; a deleted section reads as missing;
// replacing a section gives the bytes of deleting it and writing its entries
// one by one; the other sections' entries do not change; the file on disk holds exactly
// the bytes of the document after the same operations; a write of a section,
// key or value holding CR, LF or NUL is refused and changes nothing.
#include "profile_file.h"
#include "Pub1.h"
#include "profile_properties.h"

#include <map>
#include <string>
#include <string_view>

namespace {

// Same name for the store: equal once ASCII letters are folded, double-byte
// characters compared whole.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        if (((x >= 0x81 && x <= 0x9F) || (x >= 0xE0 && x <= 0xFC)) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        const auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
        if (up(a[i]) != up(b[i])) return false;
    }
    return true;
}

// The entries of every section of the document other than `except`.
std::map<std::string, kr::ProfileEntries> OtherSections(const kr::ProfileDocument& document,
                                                        std::string_view except) {
    std::map<std::string, kr::ProfileEntries> sections;
    const std::vector<std::string> names = fuzzkit::SectionNames(document.Bytes());
    for (const std::string& name : names) {
        if (sections.size() >= 8) break;
        if (!SameName(name, except)) sections.emplace(name, document.ReadEntries(name));
    }
    return sections;
}

bool BreaksLine(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) != text.npos; }

// Whether the store must refuse the operation: a text it would write holds a
// line break or NUL.
template <class Op>
bool MustRefuse(const Op& op) {
    switch (op.Kind) {
        case 0: return BreaksLine(op.Section) || BreaksLine(op.Key) || BreaksLine(op.Value);
        case 1: return BreaksLine(op.Section) || BreaksLine(op.Key);
        case 2: return BreaksLine(op.Section) || BreaksLine(op.Key) || BreaksLine(op.Value);
        default: return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzkit::Input input(data, size);
    struct Operation {
        int Kind;
        std::string Section, Key, Value;
        std::int32_t Number;
    };
    std::vector<Operation> operations(input.Byte() % 8);
    for (Operation& operation : operations) {
        operation.Kind = input.Byte() % 4;
        operation.Section = input.Text(24);
        operation.Key = input.Text(24);
        operation.Value = input.Text(2100);
        operation.Number = input.Int32();
    }
    const std::string_view bytes = input.Rest();
    // Half of the operations go to a section the file already holds.
    const std::vector<std::string> existing = fuzzkit::SectionNames(bytes);
    for (std::size_t i = 0; i < operations.size() && !existing.empty(); ++i)
        if (operations[i].Number & 1) operations[i].Section = existing[i % existing.size()];

    const std::filesystem::path path = fuzzkit::ScratchFolder() / "test.ini";
    fuzzkit::WriteFile(path, bytes);
    kr::ProfileDocument document(bytes);
    kr::ProfileFile store(path);

    for (const Operation& op : operations) {
        if (MustRefuse(op)) {
            const std::string before = document.Bytes();
            bool documentRefused = false, storeRefused = false;
            try {
                if (op.Kind == 0) document.WriteText(op.Section, op.Key, op.Value);
                if (op.Kind == 1) document.WriteNumber(op.Section, op.Key, op.Number);
                if (op.Kind == 2) document.ReplaceSection(op.Section, {{op.Key, op.Value}, {op.Key + "1", op.Section}});
            } catch (const kr::ProfileDocument::RefusedText&) {
                documentRefused = true;
            }
            try {
                if (op.Kind == 1)
                    store.WriteNumber(op.Section, op.Key, op.Number);
                else
                    store.WriteText(op.Section, op.Key, op.Value);
            } catch (const kr::KrError&) {
                storeRefused = true;
            }
            FUZZ_CHECK(documentRefused && storeRefused);
            FUZZ_CHECK(document.Bytes() == before && fuzzkit::FileBytes(path) == before);
            continue;
        }
        const auto others = OtherSections(document, op.Section);
        switch (op.Kind) {
            case 0:
                document.WriteText(op.Section, op.Key, op.Value);
                store.WriteText(op.Section, op.Key, op.Value);
                if (fuzzkit::WritableSection(op.Section) && fuzzkit::WritableKey(op.Key) &&
                    fuzzkit::WritableValue(op.Value))
                    FUZZ_CHECK(document.ReadText(op.Section, op.Key, "\x01") == fuzzkit::ReadBack(op.Value));
                break;
            case 1:
                document.WriteNumber(op.Section, op.Key, op.Number);
                store.WriteNumber(op.Section, op.Key, op.Number);
                if (fuzzkit::WritableSection(op.Section) && fuzzkit::WritableKey(op.Key)) {
                    FUZZ_CHECK(document.ReadNumber(op.Section, op.Key, op.Number ^ 1) == op.Number);
                    FUZZ_CHECK(store.ReadNumber(op.Section, op.Key, op.Number ^ 1) == op.Number);
                }
                break;
            case 2: {
                // Replacing a section is deleting it and writing its entries one by one.
                const kr::ProfileEntries entries{
                    {op.Key, op.Value}, {op.Key + "1", op.Section}, {op.Key, kr::DecimalText(op.Number)}};
                kr::ProfileDocument oneByOne = document;
                oneByOne.DeleteSection(op.Section);
                for (const auto& [key, value] : entries) oneByOne.WriteText(op.Section, key, value);
                document.ReplaceSection(op.Section, entries);
                FUZZ_CHECK(document.Bytes() == oneByOne.Bytes());
                store.Save(document);
                break;
            }
            default:
                document.DeleteSection(op.Section);
                store.DeleteSection(op.Section);
                FUZZ_CHECK(document.ReadEntries(op.Section).empty());
                FUZZ_CHECK(document.ReadText(op.Section, op.Key, "\x01") == "\x01");
                break;
        }
        // A section name that a header does not give back, or a key line that
        // reads as a header ("[x]=1") or as another key, may touch another section.
        const bool keyed = op.Kind == 3 || (fuzzkit::WritableKey(op.Key) && fuzzkit::WritableValue(op.Value));
        if (fuzzkit::WritableSection(op.Section) && keyed)
            FUZZ_CHECK(OtherSections(document, op.Section) == others);
        FUZZ_CHECK(fuzzkit::FileBytes(path) == document.Bytes());
        // A text holding a line feed makes more lines than the document holds
        // until it is read again, as the store reads the file for every operation.
        document = kr::ProfileDocument(document.Bytes());
    }
    return 0;
}
