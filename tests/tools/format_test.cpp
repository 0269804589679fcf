// TFormat: the arguments Execute hands to the shell's format call on NT and
// older systems, and what the format window makes of them again.
#include "tools/format_component.h"

#include <gtest/gtest.h>

#include <vector>

namespace ov {
namespace {

class RecordingShell : public ShellFormat {
public:
    int FormatDrive(QWidget* owner, unsigned drive, unsigned formatId, unsigned options) override
    {
        owners.push_back(owner);
        calls.push_back({ drive, formatId, options });
        return result;
    }
    std::vector<QWidget*> owners;
    std::vector<ShellFormatCall> calls;
    int result = 6;
};

TEST(FormatComponent, ExecuteArgumentTable)
{
    struct Row {
        const char* name;
        bool nt;
        TDriveType drive;
        TCapacity capacity;
        TFmtType type;
        ShellFormatCall call;
    };
    using D = TDriveType;
    using C = TCapacity;
    using T = TFmtType;
    const Row rows[] = {
        // The main window's instance: full, drive A:, default capacity.
        { "main window on NT", true, D::dtADrive, C::capDefault, T::fmtFull, { 0, 0, 0 } },
        { "main window on 9x", false, D::dtADrive, C::capDefault, T::fmtFull, { 0, 0, 1 } },
        { "quick on NT", true, D::dtADrive, C::capDefault, T::fmtQuick, { 0, 0, 1 } },
        { "quick on 9x", false, D::dtADrive, C::capDefault, T::fmtQuick, { 0, 0, 0 } },
        { "boot on NT", true, D::dtBDrive, C::capDefault, T::fmtBoot, { 1, 0, 0 } },
        { "boot on 9x", false, D::dtBDrive, C::capDefault, T::fmtBoot, { 1, 0, 2 } },
        { "capLow A: on 9x", false, D::dtADrive, C::capLow, T::fmtQuick, { 0, 5, 0 } },
        { "capLow B: on 9x", false, D::dtBDrive, C::capLow, T::fmtFull, { 1, 3, 1 } },
        { "capLow on NT keeps id 0", true, D::dtADrive, C::capLow, T::fmtQuick, { 0, 0, 1 } },
        { "capHigh on 9x keeps id 0", false, D::dtBDrive, C::capHigh, T::fmtQuick, { 1, 0, 0 } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingShell shell;
        auto* owner = reinterpret_cast<QWidget*>(&shell);
        TFormat format(shell, owner, row.nt);
        format.Drive = row.drive;
        format.Capacity = row.capacity;
        format.FormatType = row.type;
        EXPECT_EQ(format.Execute(), 6);
        ASSERT_EQ(shell.calls.size(), 1u);
        EXPECT_EQ(shell.calls[0], row.call);
        EXPECT_EQ(shell.owners[0], owner);
    }
    // The defaults: quick, drive A:, default capacity.
    RecordingShell shell;
    TFormat format(shell);
    EXPECT_EQ(format.Arguments(), (ShellFormatCall { 0, 0, 1 }));
}

// What the window does with each call: the round trip keeps the capacity and
// the kind; a boot format formats full and carries the system-files note.
TEST(FormatComponent, DecodedChoices)
{
    struct Row {
        const char* name;
        bool nt;
        TDriveType drive;
        TCapacity capacity;
        TFmtType type;
        int kb;
        FormatKind kind;
        bool systemFiles;
    };
    using D = TDriveType;
    using C = TCapacity;
    using T = TFmtType;
    const Row rows[] = {
        { "full NT", true, D::dtADrive, C::capDefault, T::fmtFull, 0, FormatKind::Full, false },
        { "quick NT", true, D::dtADrive, C::capDefault, T::fmtQuick, 0, FormatKind::Quick, false },
        { "quick 9x", false, D::dtADrive, C::capDefault, T::fmtQuick, 0, FormatKind::Quick, false },
        { "boot 9x", false, D::dtADrive, C::capDefault, T::fmtBoot, 0, FormatKind::Full, true },
        { "low A: 9x", false, D::dtADrive, C::capLow, T::fmtQuick, 720, FormatKind::Quick, false },
        { "low B: 9x", false, D::dtBDrive, C::capLow, T::fmtFull, 360, FormatKind::Full, false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingShell shell;
        TFormat format(shell, nullptr, row.nt);
        format.Drive = row.drive;
        format.Capacity = row.capacity;
        format.FormatType = row.type;
        const ShellFormatCall call = format.Arguments();
        const FormatChoice choice = decodeShellFormat(call.formatId, call.options, row.nt);
        EXPECT_EQ(choice.capacityKb, row.kb);
        EXPECT_EQ(choice.kind, row.kind);
        EXPECT_EQ(choice.systemFiles, row.systemFiles);
    }
}

} // namespace
} // namespace ov
