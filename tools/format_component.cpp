// TFormat; see format_component.h.
#include "tools/format_component.h"

namespace ov {

namespace {

// Low-density format ids of the older systems' shell: 720 KB in drive A:,
// 360 KB in drive B:.
constexpr unsigned LowDensityA = 5;
constexpr unsigned LowDensityB = 3;

} // namespace

ShellFormatCall TFormat::Arguments() const
{
    ShellFormatCall call;
    call.drive = Drive == TDriveType::dtADrive ? 0 : 1;
    if (!m_ntFamily && Capacity == TCapacity::capLow)
        call.formatId = Drive == TDriveType::dtADrive ? LowDensityA : LowDensityB;
    if (m_ntFamily)
        call.options = FormatType == TFmtType::fmtQuick ? 1 : 0;
    else
        call.options = FormatType == TFmtType::fmtQuick ? 0 : FormatType == TFmtType::fmtFull ? 1 : 2;
    return call;
}

int TFormat::Execute()
{
    const ShellFormatCall call = Arguments();
    return m_shell.FormatDrive(m_owner, call.drive, call.formatId, call.options);
}

FormatChoice decodeShellFormat(unsigned formatId, unsigned options, bool ntFamily)
{
    FormatChoice choice;
    if (formatId == LowDensityA)
        choice.capacityKb = 720;
    else if (formatId == LowDensityB)
        choice.capacityKb = 360;
    if (ntFamily) {
        choice.kind = options == 1 ? FormatKind::Quick : FormatKind::Full;
    } else {
        choice.kind = options == 0 ? FormatKind::Quick : FormatKind::Full;
        choice.systemFiles = options == 2;
    }
    return choice;
}

} // namespace ov
