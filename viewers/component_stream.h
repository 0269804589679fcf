// A component stream in binary form ("TPF0", the way form designers store
// objects and their published properties) turned into its text form:
//
//   object Form1: TForm1
//     Left = 10
//     Caption = 'Hello'
//     object Button1: TButton
//     end
//   end
//
// Values: integers, floating point, strings ('...' with #nn for control
// characters), identifiers, booleans, sets [a, b], lists ( ... ),
// collections < item ... end >, binary data { hex } and nil. The reader is
// bounded by the bytes it is given, caps nesting at kMaxDepth and stops at
// the first malformed value.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace ov {

struct ComponentText {
    std::string text; // the objects in text form, lines ending in "\n"
    std::string error; // empty when the whole stream was read
};

class ComponentStream {
public:
    static constexpr int kMaxDepth = 64;

    // True when the bytes start with the signature "TPF0".
    static bool hasSignature(std::span<const uint8_t> bytes);

    // Converts a stream that starts with "TPF0" (more top-level objects may
    // follow, each with its own signature). std::nullopt when the signature is
    // missing; otherwise the text of what was read, with `error` set when the
    // stream ended early or held a value of an unknown kind.
    static std::optional<ComponentText> toText(std::span<const uint8_t> bytes);
};

} // namespace ov
