#include "codec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace kr {

namespace {

// One converter per direction and thread, opened on first use and kept for
// the thread's life: a converter holds state while it converts.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw std::logic_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~Converter() { iconv_close(handle_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input. When a byte sequence cannot be converted,
    // `onInvalid` decides: it returns the replacement to append and skips
    // input, or returns false to give up.
    template <class OnInvalid>
    bool Run(std::string_view input, std::string& output, OnInvalid onInvalid) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        output.clear();
        output.resize(input.size() * 2 + 8);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        std::size_t used = 0;
        while (inLeft > 0) {
            char* out = output.data() + used;
            std::size_t outLeft = output.size() - used;
            std::size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
            used = output.size() - outLeft;
            if (result != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) {
                output.resize(output.size() * 2);
                continue;
            }
            // EILSEQ (invalid sequence) or EINVAL (cut short at the end).
            std::string_view replacement;
            if (!onInvalid(in, inLeft, replacement)) return false;
            if (output.size() - used < replacement.size()) output.resize(output.size() * 2 + replacement.size());
            output.replace(used, replacement.size(), replacement);
            used += replacement.size();
        }
        output.resize(used);
        return true;
    }

private:
    iconv_t handle_;
};

Converter& FromCp932() {
    thread_local Converter converter("UTF-8", "CP932");
    return converter;
}

Converter& ToCp932() {
    thread_local Converter converter("CP932", "UTF-8");
    return converter;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
    std::string output;
    FromCp932().Run(cp932, output, [](char*& in, std::size_t& inLeft, std::string_view& replacement) {
        // The offending byte becomes U+FFFD and the conversion goes on after it.
        ++in;
        --inLeft;
        replacement = "\xEF\xBF\xBD";
        return true;
    });
    return output;
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
    std::string output;
    bool converted = ToCp932().Run(utf8, output, [](char*&, std::size_t&, std::string_view&) { return false; });
    if (!converted) return std::nullopt;
    // The converter also takes a few characters one way only ("¥" to the
    // backslash byte, "〜" to the byte pair of "～"): such text would read
    // back as different characters, so it has no CP932 form for us.
    if (Cp932ToUtf8(output) != utf8) return std::nullopt;
    return output;
}

namespace {

// Bytes of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

}  // namespace

std::string Utf8ToCp932Lossy(std::string_view utf8, std::string* leftOut) {
    std::string output;
    ToCp932().Run(utf8, output, [&](char*& in, std::size_t& inLeft, std::string_view& replacement) {
        // The character iconv cannot take is left out, whole.
        const std::size_t length =
            std::min(inLeft, Utf8SequenceLength(static_cast<unsigned char>(*in)));
        if (leftOut != nullptr) leftOut->append(in, length);
        in += length;
        inLeft -= length;
        replacement = {};
        return true;
    });
    return output;
}

std::size_t Cp932PrefixLength(std::string_view cp932, std::size_t limit) {
    std::size_t end = 0;
    while (end < cp932.size()) {
        const std::size_t next = end + (IsLeadByte(static_cast<unsigned char>(cp932[end])) ? 2 : 1);
        if (next > limit || next > cp932.size()) break;
        end = next;
    }
    return end;
}

std::string Sjis(std::string_view utf8Literal) {
    std::optional<std::string> bytes = Utf8ToCp932(utf8Literal);
    if (!bytes) throw std::logic_error("a literal without a Shift_JIS form: " + std::string(utf8Literal));
    return std::move(*bytes);
}

std::string UpperAsciiLetters(std::string_view text) {
    std::string upper(text);
    for (std::size_t i = 0; i < upper.size(); ++i) {
        char& c = upper[i];
        if (IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < upper.size())
            ++i;
        else if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

}  // namespace kr
