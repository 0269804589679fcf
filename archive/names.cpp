#include "archive/names.h"

namespace ov {

namespace {

void appendUtf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

char neutral(unsigned char c)
{
    if (c < 0x20 || c == 0x7F)
        return '?';
    if (c == '/')
        return '\\';
    return static_cast<char>(c);
}

} // namespace

OemCodePage oemCodePageForLanguage(std::string_view language)
{
    auto equals = [&](std::string_view word) {
        if (language.size() != word.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i) {
            char c = language[i];
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            if (c != word[i])
                return false;
        }
        return true;
    };
    if (equals("RUSSIAN"))
        return OemCodePage::Cp866;
    if (equals("POLISH"))
        return OemCodePage::Cp852;
    return OemCodePage::Cp437;
}

bool isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        std::size_t extra;
        uint32_t code;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= bytes.size())
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
        static const uint32_t least[] = { 0, 0x80, 0x800, 0x10000 };
        if (code < least[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

std::string_view withoutDrive(std::string_view name)
{
    const bool letter
        = !name.empty() && ((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= 'A' && name[0] <= 'Z'));
    if (letter && name.size() >= 2 && name[1] == ':')
        name.remove_prefix(2);
    return name;
}

std::string memberName(std::string_view stored, NameEncoding encoding, OemCodePage codePage)
{
    std::string out;
    out.reserve(stored.size() + 8);
    const bool utf8 = encoding != NameEncoding::Oem && isValidUtf8(stored);
    if (utf8) {
        for (char c : stored)
            out += static_cast<unsigned char>(c) < 0x80 ? neutral(static_cast<unsigned char>(c)) : c;
        return out;
    }
    const uint16_t* upper = codePage == OemCodePage::Cp866 ? oem::cp866
        : codePage == OemCodePage::Cp852                   ? oem::cp852
                                                           : oem::cp437;
    for (char c : stored) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            out += neutral(byte);
        else
            appendUtf8(out, upper[byte - 0x80]);
    }
    return out;
}

} // namespace ov
