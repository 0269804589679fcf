#include "viewers/component_stream.h"

#include "viewers/le_bytes.h"
#include "viewers/utf16.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace ov {

namespace {

// The value tags of the binary form.
enum ValueType : uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
    vaDouble = 21,
};

// Object prefix flags: 0xF0 | flags, before the class name.
constexpr uint8_t ffInherited = 1;
constexpr uint8_t ffChildPos = 2;
constexpr uint8_t ffInline = 4;

constexpr std::size_t kBinaryPerLine = 32;

// Thrown inside the converter when the stream is malformed; caught at the top.
struct StreamEnd {
    std::string reason;
};

class Converter {
public:
    explicit Converter(std::span<const uint8_t> bytes)
        : m_view(bytes)
    {
    }

    uint64_t offset() const { return m_at; }
    bool atEnd() const { return m_at >= m_view.size(); }
    std::string& out() { return m_out; }

    void signature()
    {
        if (!m_view.has(m_at, 4) || std::memcmp(m_view.bytes().data() + m_at, "TPF0", 4) != 0)
            fail("missing signature");
        m_at += 4;
    }

    void object(int depth)
    {
        if (depth > ComponentStream::kMaxDepth)
            fail("objects nested too deeply");
        const std::string indent(2 * static_cast<std::size_t>(depth), ' ');
        uint8_t flags = 0;
        std::string position;
        if ((peek() & 0xF0) == 0xF0) {
            flags = u8() & 0x0F;
            if (flags & ffChildPos)
                position = " [" + integer(u8()) + "]";
        }
        const std::string className = shortString();
        const std::string objectName = shortString();
        const char* keyword = (flags & ffInherited) ? "inherited" : (flags & ffInline) ? "inline" : "object";
        m_out += indent + keyword + " " + (objectName.empty() ? className : objectName + ": " + className)
            + position + "\n";
        properties(depth + 1);
        while (peek() != 0)
            object(depth + 1);
        ++m_at;
        m_out += indent + "end\n";
    }

private:
    [[noreturn]] void fail(const std::string& reason) const
    {
        char where[32];
        std::snprintf(where, sizeof where, " at offset %llu", static_cast<unsigned long long>(m_at));
        throw StreamEnd { reason + where };
    }

    uint8_t peek() const
    {
        const auto value = m_view.u8(m_at);
        if (!value)
            fail("unexpected end of stream");
        return *value;
    }
    uint8_t u8()
    {
        const uint8_t value = peek();
        ++m_at;
        return value;
    }
    std::span<const uint8_t> take(uint64_t count)
    {
        if (!m_view.has(m_at, count))
            fail("unexpected end of stream");
        const auto bytes = m_view.bytes().subspan(m_at, count);
        m_at += count;
        return bytes;
    }
    uint64_t little(std::size_t count)
    {
        const auto bytes = take(count);
        uint64_t value = 0;
        for (std::size_t i = count; i-- > 0;)
            value = value << 8 | bytes[i];
        return value;
    }

    std::string shortString()
    {
        const auto bytes = take(u8());
        return latin1(bytes);
    }

    static std::string latin1(std::span<const uint8_t> bytes)
    {
        std::string text;
        for (uint8_t b : bytes) {
            if (b < 0x80) {
                text += static_cast<char>(b);
            } else {
                text += static_cast<char>(0xC0 | b >> 6);
                text += static_cast<char>(0x80 | (b & 0x3F));
            }
        }
        return text;
    }

    // Quotes UTF-8 text: printable runs between quotes (a quote doubled),
    // control characters as #nn.
    static std::string quote(const std::string& text)
    {
        if (text.empty())
            return "''";
        std::string out;
        bool inside = false;
        for (char c : text) {
            const auto b = static_cast<uint8_t>(c);
            if (b < 0x20) {
                if (inside)
                    out += '\'';
                inside = false;
                out += "#" + std::to_string(b);
                continue;
            }
            if (!inside)
                out += '\'';
            inside = true;
            out += c;
            if (c == '\'')
                out += '\'';
        }
        if (inside)
            out += '\'';
        return out;
    }

    static std::string number(double value)
    {
        char text[64];
        std::snprintf(text, sizeof text, "%.15g", value);
        return text;
    }

    std::string integer(uint8_t type)
    {
        switch (type) {
        case vaInt8:
            return std::to_string(static_cast<int8_t>(little(1)));
        case vaInt16:
            return std::to_string(static_cast<int16_t>(little(2)));
        case vaInt32:
            return std::to_string(static_cast<int32_t>(little(4)));
        case vaInt64:
            return std::to_string(static_cast<int64_t>(little(8)));
        default:
            fail("integer expected");
        }
    }

    // An 80-bit extended value: a 64-bit mantissa with an explicit integer
    // bit, then a 15-bit exponent (bias 16383) and the sign.
    std::string extended()
    {
        const uint64_t mantissa = little(8);
        const auto top = static_cast<uint16_t>(little(2));
        const int exponent = top & 0x7FFF;
        const bool negative = top & 0x8000;
        double value;
        if (exponent == 0x7FFF)
            value = mantissa << 1 ? NAN : INFINITY;
        else
            value = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
        return number(negative ? -value : value);
    }

    std::string floating(std::size_t size)
    {
        const uint64_t bits = little(size);
        if (size == 4) {
            float value;
            const auto narrow = static_cast<uint32_t>(bits);
            std::memcpy(&value, &narrow, 4);
            return number(value);
        }
        double value;
        std::memcpy(&value, &bits, 8);
        return number(value);
    }

    void properties(int depth)
    {
        const std::string indent(2 * static_cast<std::size_t>(depth), ' ');
        while (peek() != 0) {
            const std::string name = shortString();
            m_out += indent + name + " = ";
            value(depth);
            m_out += "\n";
        }
        ++m_at;
    }

    // Writes one value after "Name = "; multi-line values indent their lines
    // one level below `depth`.
    void value(int depth)
    {
        if (depth > ComponentStream::kMaxDepth)
            fail("values nested too deeply");
        const std::string inner(2 * static_cast<std::size_t>(depth + 1), ' ');
        const uint8_t type = u8();
        switch (type) {
        case vaList: {
            m_out += "(";
            while (peek() != vaNull) {
                m_out += "\n" + inner;
                value(depth + 1);
            }
            ++m_at;
            m_out += ")";
            return;
        }
        case vaInt8:
        case vaInt16:
        case vaInt32:
        case vaInt64:
            m_out += integer(type);
            return;
        case vaExtended:
            m_out += extended();
            return;
        case vaSingle:
            m_out += floating(4);
            return;
        case vaDouble:
        case vaDate:
            m_out += floating(8);
            return;
        case vaCurrency: {
            // Stored as a 64-bit integer of ten-thousandths.
            const auto scaled = static_cast<int64_t>(little(8));
            m_out += number(static_cast<double>(scaled) / 10000.0);
            return;
        }
        case vaString:
            m_out += quote(shortString());
            return;
        case vaLString:
            m_out += quote(latin1(take(little(4))));
            return;
        case vaUTF8String: {
            const auto bytes = take(little(4));
            m_out += quote(std::string(bytes.begin(), bytes.end()));
            return;
        }
        case vaWString: {
            const uint64_t units = little(4);
            if (units > m_view.size())
                fail("unexpected end of stream");
            const auto bytes = take(units * 2);
            std::u16string text(units, u'\0');
            for (uint64_t i = 0; i < units; ++i)
                text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
            m_out += quote(utf16ToUtf8(text));
            return;
        }
        case vaIdent:
            m_out += shortString();
            return;
        case vaFalse:
            m_out += "False";
            return;
        case vaTrue:
            m_out += "True";
            return;
        case vaNil:
            m_out += "nil";
            return;
        case vaSet: {
            m_out += "[";
            bool first = true;
            for (;;) {
                const std::string element = shortString();
                if (element.empty())
                    break;
                m_out += (first ? "" : ", ") + element;
                first = false;
            }
            m_out += "]";
            return;
        }
        case vaBinary: {
            const auto bytes = take(little(4));
            static const char digits[] = "0123456789ABCDEF";
            m_out += "{";
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                if (i % kBinaryPerLine == 0)
                    m_out += "\n" + inner;
                m_out += digits[bytes[i] >> 4];
                m_out += digits[bytes[i] & 15];
            }
            m_out += "}";
            return;
        }
        case vaCollection: {
            m_out += "<";
            const std::string itemIndent = inner;
            while (peek() != vaNull) {
                m_out += "\n" + itemIndent + "item";
                const uint8_t next = peek();
                if (next == vaInt8 || next == vaInt16 || next == vaInt32)
                    m_out += " [" + integer(u8()) + "]";
                m_out += "\n";
                properties(depth + 2);
                m_out += itemIndent + "end";
            }
            ++m_at;
            m_out += ">";
            return;
        }
        default:
            fail("unknown value type " + std::to_string(type));
        }
    }

    LeBytes m_view;
    uint64_t m_at = 0;
    std::string m_out;
};

} // namespace

bool ComponentStream::hasSignature(std::span<const uint8_t> bytes)
{
    return bytes.size() >= 4 && std::memcmp(bytes.data(), "TPF0", 4) == 0;
}

std::optional<ComponentText> ComponentStream::toText(std::span<const uint8_t> bytes)
{
    if (!hasSignature(bytes))
        return std::nullopt;
    Converter converter(bytes);
    ComponentText result;
    bool first = true;
    try {
        // Objects written one after the other each carry the signature;
        // padding zeros after the last one end the stream.
        while (!converter.atEnd() && (first || hasSignature(bytes.subspan(converter.offset())))) {
            converter.signature();
            converter.object(0);
            first = false;
        }
    } catch (const StreamEnd& end) {
        result.error = end.reason;
    }
    result.text = std::move(converter.out());
    return result;
}

} // namespace ov
