// DialogTemplate: a DIALOG or DIALOGEX resource read into a description of
// the dialog and its controls, without widgets.
//
// Layouts after Microsoft's DLGTEMPLATE, DLGITEMTEMPLATE and DLGTEMPLATEEX
// documentation. A DIALOG keeps its control count at offset 8; a DIALOGEX
// (16-bit version 1, then 0xFFFF) keeps it at offset 16, offset 8 being part
// of its style. Every read is bounded by the resource's size.
//
// Creating a dialog from a template fails when the template does not read
// to the end of its last counted control or when a control names a window
// class nobody has registered; the preview then drops controls from the end
// until creation works (see createDialog).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ov {

// A name-or-ordinal field: none, a 16-bit ordinal, or a text.
struct DialogName {
    enum class Kind { None, Ordinal, Text } kind = Kind::None;
    uint16_t ordinal = 0;
    std::string text; // UTF-8

    // "#n" for an ordinal, the text, or "" for none.
    std::string display() const;
};

struct DialogControl {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint32_t id = 0;
    DialogName windowClass;
    DialogName title;

    // The class as a name: a predefined ordinal 0x80..0x85 gives "Button",
    // "Edit", "Static", "ListBox", "ScrollBar" or "ComboBox".
    std::string className() const;
};

struct DialogTemplate {
    bool extended = false;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    uint16_t declaredCount = 0; // the control count stored in the template
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    DialogName menu;
    DialogName windowClass;
    std::string title;
    bool hasFont = false;
    uint16_t pointSize = 0;
    uint16_t weight = 0;
    bool italic = false;
    std::string typeface;
    std::vector<DialogControl> controls; // the controls read, at most declaredCount
    bool complete = false; // all declaredCount controls were read

    // The offset of the control count in a template of this kind.
    static std::size_t countOffset(bool extended) { return extended ? 16 : 8; }

    // Reads a template; the header must be readable (else std::nullopt).
    // Controls are read while they lie inside the bytes; `complete` tells
    // whether all counted ones did. `countOverride` replaces the stored count.
    static std::optional<DialogTemplate> parse(
        std::span<const uint8_t> bytes, std::optional<uint16_t> countOverride = std::nullopt);

    // One line for the dialog and one per control, for text output.
    std::vector<std::string> describe() const;
};

// True for the window classes a dialog may use, compared without case.
bool knownDialogClass(const std::string& name);

// The outcome of creating a dialog from its template.
struct DialogCreation {
    std::optional<DialogTemplate> dialog; // the dialog as created; none when it failed
    int stripped = 0; // controls dropped from the end

    // "Take a look!", N + " control(s) has been stripped." or
    // "Unable to create this dialog, sorry.".
    std::string message() const;
};

// Creates the dialog as the system would: while creation fails and the count
// is above 0, the count is lowered by one and creation tried again.
DialogCreation createDialog(std::span<const uint8_t> bytes);

} // namespace ov
