// The catalog check reads any bytes as the loader does: it reports a line
// cut short exactly when the load stops, at the loader's line and column and
// with its message, and nothing on a line the loader never reads. Whatever
// the file holds, every finding is whole Shift_JIS without control bytes,
// so it reads as one line on any terminal.
#include "Pub1.h"
#include "catalog_check.h"
#include "codec.h"
#include "comma_text.h"
#include "../text_kit.h"
#include "fuzz_kit.h"
#include "krMove.h"
#include "krOption.h"
#include "krWeapon.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

template <class List>
void CheckAgainstLoader(kr::CatalogKind kind, std::string_view text) {
    const std::vector<kr::CatalogFinding> findings = kr::CheckCatalogText(kind, text);
    const std::size_t lineCount = textkit::SplitLines(text).size();

    List catalog;
    std::string loaderMessage;
    try {
        catalog.LoadCatalogText(text);
    } catch (const kr::KrError& error) {
        loaderMessage = error.what();
    }

    // A file of UTF-8 is told once, and nothing that follows from it.
    if (kr::LooksLikeUtf8(text.substr(0, text.find('\0')))) {
        FUZZ_CHECK(findings.size() == 1 && findings[0].Severity == kr::FindingSeverity::Error);
        return;
    }

    // The last line read: the failing one, or the last line of the file.
    const std::size_t lastRead = loaderMessage.empty() ? lineCount : catalog.Count() + 2;
    bool stopReported = false;
    for (const kr::CatalogFinding& finding : findings) {
        FUZZ_CHECK(finding.Line >= 1 && finding.Line <= lastRead);
        const std::string shown = kr::Cp932ToUtf8(kr::FindingText(kind, finding));
        FUZZ_CHECK(shown.find("\xEF\xBF\xBD") == std::string::npos);
        for (char c : shown) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
        if (finding.Message != kr::Sjis(kr::MissingColumnMessage(finding.Column))) continue;
        FUZZ_CHECK(!stopReported);
        stopReported = true;
        FUZZ_CHECK(kr::CatalogLineMessage(kr::CatalogFileName(kind), finding.Line,
                                          kr::MissingColumnMessage(finding.Column)) == loaderMessage);
    }
    FUZZ_CHECK(stopReported == !loaderMessage.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckAgainstLoader<kr::TKRWeaponList>(kr::CatalogKind::Weapon, text);
    CheckAgainstLoader<kr::TKROptionList>(kr::CatalogKind::Option, text);
    CheckAgainstLoader<kr::TKRMoveList>(kr::CatalogKind::Move, text);
    return 0;
}
