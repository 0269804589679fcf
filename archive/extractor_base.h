// TExtractorBase: the state every extractor shares — output folder and
// stored-folder switch, date setting, progress step, CPU type — and the
// ExtractRun slot each extractor fills with its kind's run.
#pragma once

#include "archive/archive_common.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>

namespace ov {

enum TSetDate { sdOrigDate, sdSysDate };
enum TProgressNotify { Five, Ten, Fifteen, Twenty, TwentyFive };
enum TCpuType { cptAuto, cpt80286, cpt80386, cpt80486 };

class TExtractorBase : public TArchiveCommon {
public:
    const std::string& ExtractDir() const { return m_extractDir; }
    // "\" becomes "/" (host separators), and a trailing separator is added
    // to a non-empty folder.
    void SetExtractDir(const std::string& dir)
    {
        m_extractDir = dir;
        std::replace(m_extractDir.begin(), m_extractDir.end(), '\\', '/');
        if (!m_extractDir.empty() && m_extractDir.back() != '/')
            m_extractDir += '/';
    }
    bool UseStoredDirs() const { return m_useStoredDirs; }
    void SetUseStoredDirs(bool value) { m_useStoredDirs = value; }

    TSetDate SetDateTo = sdOrigDate;
    TProgressNotify ProgressNotify = Ten;
    TCpuType CpuType = cptAuto;

    // Per cent of one progress step (5, 10, … 25).
    int progressStep() const { return static_cast<int>(ProgressNotify) * 5 + 5; }

    // Writes the members to files: resets cpt80486 to cptAuto, then runs
    // the kind's ExtractRun.
    void Extract()
    {
        if (CpuType == cpt80486)
            CpuType = cptAuto;
        ExtractRun();
    }

    std::function<void(TExtractorBase& Sender, const std::string& FN, int32_t RecNum, bool& Extract)> OnBegin;
    std::function<void(TExtractorBase& Sender, const std::string& FN, bool CRC_PASS)> OnEnd;
    std::function<void(TExtractorBase& Sender, const std::string& FN, uint8_t Progress)> OnProgress;
    std::function<void(TExtractorBase& Sender, const std::string& FN, TDateTime FileDate, bool& Accept)>
        OnFileExists;
    std::function<void(TExtractorBase& Sender, const std::string& FN, std::string& Password, bool& TryAgain)>
        OnGetPassword;

    // Chooses members and places them below the output folder (a copy out
    // of one folder of an archive). Called with the path a member would be
    // written to below the output folder ("/" separators, no "." or ".."
    // components); returns the path to write it to instead, or empty to
    // pass the member over without a message. A stored name with a ".."
    // component is then passed over silently too: no chosen member has one.
    std::function<std::string(const std::string& path)> PlaceMember;

    // A percentage of `done` in `total`: rounded, capped at 100, 0 when
    // total < 1.
    static uint8_t percent(int64_t done, int64_t total)
    {
        if (total < 1)
            return 0;
        const int64_t value = (done * 100 + total / 2) / total;
        return static_cast<uint8_t>(std::clamp<int64_t>(value, 0, 100));
    }

protected:
    // The kind's extraction run; empty here.
    virtual void ExtractRun() { }
};

} // namespace ov
