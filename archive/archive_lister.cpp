// The listing run of TArchiveLister: checks, opening, the kind's header
// walk, totals and the closing events, with the two error paths of the
// archive components (fatal: OnError then abandon; non-fatal: OnError only).
#include "archive/archive_lister.h"

#include "archive/archive_error.h"
#include "archive/listing_run.h"
#include "archive/messages.h"

namespace ov {

bool TArchiveLister::Activate()
{
    markRunning();
    m_cancel = false;
    m_memberCount = 0;
    m_totalPacked = m_totalUnpacked = 0;
    if (m_archiveFile.empty()) {
        clearRunning();
        return false;
    }
    ListingRun run(*this);
    bool opened = false;
    try {
        if (!OnRead)
            fatal(msgRequiredEvent, m_archiveFile, "OnRead");
        if (m_arcType == atNA || m_arcType == atUnknown)
            fatal(msgUnknownFileType, m_archiveFile);
        if (m_arcType == atFileOpenErr)
            fatal(msgHeaderIdError, m_archiveFile);
        if (m_arcType == atUnsupported)
            fatal(msgUnsupportedArchiveType, m_archiveFile);
        if ((m_arcType == atARJ || m_arcType == atArjExe || m_arcType == atCAB)
            && !m_store->exists(m_archiveFile)) {
            std::string found = m_archiveFile;
            if (!requestNextVolume(found, std::to_string(m_volumeNumber))) {
                clearRunning();
                return true;
            }
            m_archiveFile = found;
        }
        run.open();
        opened = true;
        if (OnActivate)
            OnActivate(*this);
        if (OnElapsedTime)
            m_stopwatch.start();
        run.list();
        m_stopwatch.stop();
        if (OnElapsedTime)
            OnElapsedTime(*this, m_stopwatch.seconds());
        if (OnTotals)
            OnTotals(*this, m_memberCount);
        opened = false;
        if (!run.close())
            nonFatal(msgErrorClosing, m_archiveFile);
        if (OnDeactivate)
            OnDeactivate(*this);
        clearRunning();
        return true;
    } catch (const ArchiveError&) {
    } catch (const ArchiveIoError&) {
    }
    if (opened) {
        run.close();
        if (OnDeactivate)
            OnDeactivate(*this);
    }
    clearRunning();
    return false;
}

} // namespace ov
