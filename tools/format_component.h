// TFormat: the floppy format component of the main window, and the shell
// format call it hands its arguments to.
//
// Execute computes the drive number, the format id and the options value
// the way the shell's format-drive function expects them, for systems of the
// NT family or not, and passes them to a ShellFormat. The one used by the
// program is the format window (tools/format_window.h); decodeShellFormat
// turns the numbers back into what the FloppyFormatter is asked to do.
#pragma once

#include "platform/floppy_format.h"

class QWidget;

namespace ov {

enum class TCapacity { capDefault, capHigh, capLow };
enum class TFmtType { fmtQuick, fmtFull, fmtBoot };
enum class TDriveType { dtADrive, dtBDrive };

// The shell's format-drive call: owner window, drive (0 = A:, 1 = B:),
// format id, options; returns the shell's result.
class ShellFormat {
public:
    virtual ~ShellFormat() = default;
    virtual int FormatDrive(QWidget* owner, unsigned drive, unsigned formatId, unsigned options) = 0;
};

struct ShellFormatCall {
    unsigned drive = 0;
    unsigned formatId = 0;
    unsigned options = 0;
    bool operator==(const ShellFormatCall&) const = default;
};

class TFormat {
public:
    // owner: the window the dialog belongs to; ntFamily: whether the system
    // counts as one of the NT family (true here; tests inject false).
    explicit TFormat(ShellFormat& shell, QWidget* owner = nullptr, bool ntFamily = true)
        : m_shell(shell)
        , m_owner(owner)
        , m_ntFamily(ntFamily)
    {
    }

    TCapacity Capacity = TCapacity::capDefault;
    TFmtType FormatType = TFmtType::fmtQuick;
    TDriveType Drive = TDriveType::dtADrive;

    // The arguments Execute passes.
    ShellFormatCall Arguments() const;
    // Calls the shell's format function and returns its result.
    int Execute();

private:
    ShellFormat& m_shell;
    QWidget* m_owner;
    bool m_ntFamily;
};

// What the format dialog does for a format id and options value.
struct FormatChoice {
    int capacityKb = 0; // 0: the drive's own capacity
    FormatKind kind = FormatKind::Quick;
    bool systemFiles = false;
};
FormatChoice decodeShellFormat(unsigned formatId, unsigned options, bool ntFamily);

} // namespace ov
