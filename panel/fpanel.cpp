#include "panel/fpanel.h"

#include "panel/drive_facts.h"
#include "panel/quick_search.h"
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/fonts.h"
#include "platform/launcher.h"
#include "platform/picture.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

namespace ov {

namespace {

constexpr int32_t silver = 0xC0C0C0;
constexpr int32_t gray = 0x808080;
constexpr int32_t white = 0xFFFFFF;

std::string lowerText(std::string text)
{
    for (char& c : text)
        c = lowerAscii(c);
    return text;
}

// The lower-cased extension of a name, with its dot ("" without a dot).
std::string dottedExtension(const std::string& name)
{
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : lowerText(name.substr(dot));
}

bool oneOf(const std::string& value, std::initializer_list<const char*> set)
{
    for (const char* item : set)
        if (value == item)
            return true;
    return false;
}

// The list's sort mode for a SorthMethod text; any other text leaves the
// mode the list has.
int sortModeOf(const std::string& setting, int current)
{
    if (setting == "srNone")
        return srNone;
    if (setting == "srName")
        return srName;
    if (setting == "srExt")
        return srExt;
    if (setting == "srSize")
        return srSize;
    if (setting == "srDate")
        return srDate;
    return current;
}

QString qtext(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

TFPanel::TFPanel(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    m_timerUp.setInterval(20);
    m_timerDown.setInterval(20);
    connect(&m_timerUp, &QTimer::timeout, this, [this] { autoScrollTick(false); });
    connect(&m_timerDown, &QTimer::timeout, this, [this] { autoScrollTick(true); });
    m_infoFont = makeFont("MS Sans Serif", 8, true);
    ResetDefaults();
}

TFPanel::~TFPanel()
{
    // The hint lives in the main window; it goes with the panel.
    delete m_hint;
}

void TFPanel::ResetDefaults()
{
    PanelSettings defaults = defaultPanelSettings(sideOfName(PanelName));
    defaults.Left = x();
    defaults.Top = y();
    defaults.Width = width();
    defaults.Height = height();
    setSettings(defaults);
}

PanelSettings TFPanel::settings() const
{
    PanelSettings current = Settings;
    current.Left = x();
    current.Top = y();
    current.Width = width();
    current.Height = height();
    return current;
}

void TFPanel::setSettings(const PanelSettings& values)
{
    Settings = values;
    setGeometry(values.Left, values.Top, std::max(values.Width, 0), std::max(values.Height, 0));
    // The font first: it remembers its size and sizes the columns, which
    // the stored widths then replace.
    SetListFont(values.Font_Name, values.Font_Size, values.Font_Bold);
    Settings.NameColWidth = values.NameColWidth;
    Settings.SizeColWidth = values.SizeColWidth;
    Settings.DateColWidth = values.DateColWidth;
    Browser.SortMode = sortModeOf(Settings.SortSetting, Browser.SortMode);
}

void TFPanel::SetListFont(const std::string& family, int size, bool bold)
{
    Settings.Font_Name = family;
    Settings.Font_Size = effectiveFontSize(size);
    Settings.Font_Bold = bold;
    Settings.FontSizeSetting = Settings.Font_Size;
    m_listFont = makeFont(qtext(family), Settings.Font_Size, bold);
    m_listBold = makeFont(qtext(family), Settings.Font_Size, true);
    // Metrics are taken here, once per font change, never while drawing.
    const QFontMetrics metrics(m_listFont);
    m_letterHeight = metrics.height();
    Settings.SizeColWidth = metrics.horizontalAdvance(qtext("<" + Texts.Folder + ">")) + 10;
    Settings.DateColWidth = metrics.horizontalAdvance(QStringLiteral("17.09.1996;")) + 6;
    ApplyFontSize();
}

void TFPanel::ApplyFontSize()
{
    HeaderHeight = headerHeightFor(Settings.FontSizeSetting, m_letterHeight);
    FooterHeight = footerHeightFor(Settings.FontSizeSetting);
}

PanelGeometry TFPanel::geometry() const
{
    PanelGeometryInput input;
    input.width = width();
    input.height = height();
    input.fontSize = Settings.Font_Size;
    input.fontSizeSetting = Settings.FontSizeSetting;
    input.letterHeight = m_letterHeight;
    input.columns = Settings.Columns;
    input.viewMode = Settings.ViewMode;
    input.showScrollBar = Settings.ShowScrollBar;
    input.nameColWidth = Settings.NameColWidth;
    input.sizeColWidth = Settings.SizeColWidth;
    input.dateColWidth = Settings.DateColWidth;
    return computePanelGeometry(input);
}

void TFPanel::useFont(bool bold)
{
    m_canvas.setFont(bold ? m_listBold : m_listFont);
}

// --- reading ---------------------------------------------------------------

namespace {

// A panel path in its shown form: a path without a drive letter reads as
// c:\; the letter is upper-case and the folder part ends in "\".
std::string panelPath(std::string path)
{
    const bool letter = path.size() >= 2 && path[1] == ':'
        && ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
    if (!letter)
        path = "c:\\";
    if (path.size() == 2 || path[2] != '\\')
        path.insert(2, "\\");
    if (path.back() != '\\')
        path += '\\';
    if (path[0] >= 'a' && path[0] <= 'z')
        path[0] = static_cast<char>(path[0] - 'a' + 'A');
    return path;
}

// One read on its worker. The worker owns a share of it, so a read given up
// (a folder that never answers) may end whenever it does.
struct ReadJob {
    std::mutex mutex;
    bool done = false;
    bool listed = false;
    std::vector<HostEntry> entries;
};

} // namespace

void TFPanel::ReadFolder()
{
    if (m_reading)
        return;
    std::optional<OfferedListing> offer;
    if (!readAhead(panelPath(Settings.Path), offer)) {
        // Given up: the old list stays, and so does the path it shows.
        if (Browser.DiskKind == DiskKind::Standard && !Browser.DiskRoot.empty())
            Settings.Path = panelPath(Browser.CurrentFolder());
        return;
    }
    OpenList();
    ShowOpenedList();
}

bool TFPanel::readAhead(const std::string& windowsFolder, std::optional<OfferedListing>& offer)
{
    if (m_reading)
        return false;
    const auto host = DriveTable::instance().toHost(windowsFolder);
    if (!host)
        return true; // nothing on the host to read ahead: the list reads as before
    auto job = std::make_shared<ReadJob>();
    std::thread([job, folder = *host] {
        std::vector<HostEntry> entries;
        const bool listed = listFolder(folder, entries);
        const std::lock_guard<std::mutex> lock(job->mutex);
        job->entries = std::move(entries);
        job->listed = listed;
        job->done = true;
    }).detach();
    const auto finished = [&job] {
        const std::lock_guard<std::mutex> lock(job->mutex);
        return job->done;
    };
    // Most folders answer at once: wait for them without showing anything.
    QElapsedTimer waited;
    waited.start();
    while (!finished() && waited.elapsed() < ReadingDelayMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!finished()) {
        m_reading = true;
        m_readCancelled = false;
        drawReading(windowsFolder);
        QEventLoop loop;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (m_readCancelled || finished())
                loop.quit();
        });
        poll.start();
        loop.exec();
        m_reading = false;
        // Cancelled, or the application quit while the folder did not answer.
        if (!finished()) {
            Layout();
            return false;
        }
    }
    const std::lock_guard<std::mutex> lock(job->mutex);
    offer.emplace(*host, ListFacts::All, job->listed, std::move(job->entries));
    return true;
}

void TFPanel::CancelRead()
{
    if (m_reading)
        m_readCancelled = true;
}

void TFPanel::drawReading(const std::string& windowsFolder)
{
    if (!listMode() || width() <= 0)
        return;
    const PanelGeometry g = geometry();
    DrawFrame("Fon_True");
    useFont(false);
    const auto centred = [&](const std::string& value, int top, int bottom, int32_t color) {
        const QString text = qtext(value);
        const int x = std::max(6, g.listLeft + (g.listRight - g.listLeft - m_canvas.textWidth(text)) / 2);
        m_canvas.setFontColor(color);
        m_canvas.textRect(5, top, g.width - 5, bottom, x, top + (bottom - top - m_letterHeight) / 2, text);
    };
    if (Settings.ShowCurDir)
        centred(windowsFolder, 6, g.headerHeight, Settings.PathColor);
    centred("Reading\u2026", g.listTop + 2, g.listTop + 2 + 3 * m_letterHeight, Settings.SysTextColor);
    update();
    repaint();
}

TFPanel::ListRequest TFPanel::PrepareList()
{
    const std::string path = panelPath(Settings.Path);
    Settings.Path = path;
    Browser.SortMode = sortModeOf(Settings.SortSetting, Browser.SortMode);
    Browser.DirsFirst = true;
    Browser.ExecFirst = Settings.ExecFirst;
    Browser.ShowHidden = Settings.ShowHiddenFiles;
    return { path.substr(0, 3), path.substr(3) };
}

void TFPanel::copyListOptions(TBrowser& list) const
{
    list.SortMode = Browser.SortMode;
    list.DirsFirst = Browser.DirsFirst;
    list.ExecFirst = Browser.ExecFirst;
    list.ShowHidden = Browser.ShowHidden;
    list.Mask = Browser.Mask;
}

void TFPanel::AdoptList(TBrowser& list)
{
    Browser.TakeListFrom(list);
    ArchiveType.clear();
}

void TFPanel::OpenList()
{
    const ListRequest request = PrepareList();
    Browser.OpenDisk(request.root, DiskKind::Standard, request.folder);
    ArchiveType.clear();
}

void TFPanel::ShowOpenedList()
{
    const std::string& path = Settings.Path;
    // Free space of every drive letter; a drive that gives none keeps the
    // previous figures, and overflowing values read as 0.
    const DiskSpace space = driveSpace(path[0]);
    if (space.known) {
        FreeSpace = std::max<int64_t>(0, space.freeBytes);
        TotalSpace = std::max<int64_t>(0, space.totalBytes);
    }
    if (OtherPanel)
        OtherPanel->InvalidateInfo();
    TopIndex = 0;
    CursorRow = 0;
    Layout();
}

// --- drawing ---------------------------------------------------------------

void TFPanel::Layout()
{
    if (width() <= 0 || height() <= 0)
        return;
    m_canvas.resize(width(), height());
    const PanelGeometry g = geometry();
    HeaderHeight = g.headerHeight;
    FooterHeight = g.footerHeight;
    ScrollBand = g.stripHeight;
    m_thumbX = -1;
    PlaceCursor();
    if (Settings.ViewMode == ViewMode::QuickView) {
        ShowQuickView();
    } else if (Settings.ViewMode == ViewMode::Information) {
        DrawInfo();
    } else {
        DrawFrame("Fon_True");
        DrawList();
        DrawCursor();
    }
    update();
}

void TFPanel::redrawAll()
{
    if (!listMode() || width() <= 0)
        return;
    DrawFrame("Fon_True");
    DrawList();
    DrawCursor();
}

void TFPanel::DrawFrame(const std::string& mode)
{
    if (!listMode() || width() <= 0)
        return;
    const PanelGeometry g = geometry();
    const int w = g.width, h = g.height, sh = g.stripHeight;
    const int32_t line = IsActive ? Settings.LineColor : Settings.LineColorSlave;
    if (mode == "Fon_True") {
        m_canvas.setBrushColor(Settings.PanelFon);
        m_canvas.fillRect(0, 0, w, sh > 0 ? h - sh + 1 : h);
    }
    // The 2-pixel frame and the lines under the header and above the footer.
    m_canvas.setPenColor(line);
    m_canvas.frameRect(3, 4, w - 3, h - sh - 2);
    m_canvas.frameRect(4, 5, w - 4, h - sh - 3);
    m_canvas.setBrushColor(line);
    m_canvas.fillRect(5, g.headerHeight, w - 5, g.headerHeight + 2);
    m_canvas.fillRect(5, g.listBottom + 1, w - 5, g.listBottom + 3);
    if (sh > 0) {
        m_canvas.setBrushColor(systemColorValue(clBtnFace));
        m_canvas.fillRect(3, g.stripTop, w - 3, h - 1);
        m_canvas.setPenColor(gray);
        m_canvas.moveTo(2, h - 1);
        m_canvas.lineTo(2, g.stripTop - 1);
        m_canvas.lineTo(w - 3, g.stripTop - 1);
        m_canvas.setPenColor(white);
        m_canvas.moveTo(2, h - 1);
        m_canvas.lineTo(w - 2, h - 1);
        m_canvas.moveTo(w - 3, g.stripTop - 1);
        m_canvas.lineTo(w - 3, h - 1);
        m_thumbX = -1;
    }
    drawSunkenEdge();
    update();
}

// The panel's outer edge, sunken: grey left and top, white right and bottom.
void TFPanel::drawSunkenEdge()
{
    const int w = width(), h = height();
    m_canvas.setPenColor(gray);
    m_canvas.moveTo(0, h - 1);
    m_canvas.lineTo(0, 0);
    m_canvas.lineTo(w, 0);
    m_canvas.setPenColor(white);
    m_canvas.moveTo(w - 1, 1);
    m_canvas.lineTo(w - 1, h);
    m_canvas.moveTo(1, h - 1);
    m_canvas.lineTo(w - 1, h - 1);
}

void TFPanel::DrawColumnLines()
{
    if (!listMode() || width() <= 0)
        return;
    const PanelGeometry g = geometry();
    const int32_t line = IsActive ? Settings.LineColor : Settings.LineColorSlave;
    const int top = g.listTop + 1, bottom = g.listBottom - 1;
    auto vertical = [&](int x, int32_t color, int thickness) {
        m_canvas.setBrushColor(color);
        m_canvas.fillRect(x, top, x + thickness, bottom);
    };
    if (Settings.ViewMode == ViewMode::Full) {
        const int n = g.nameColWidth, s = g.sizeColWidth, d = g.dateColWidth;
        vertical(n, line, 2);
        if (n + s < g.listRight)
            vertical(n + s, line, 2);
        if (n + s + d < g.width - 4)
            vertical(n + s + d, line, 2);
    } else {
        for (int k = 1; k < g.columns; ++k) {
            const int x = 2 + k * g.columnWidth;
            vertical(x - 1, Settings.PanelFon, 1);
            vertical(x, line, 2);
            vertical(x + 2, Settings.PanelFon, 1);
        }
    }
    update();
}

int32_t TFPanel::NameColor(const std::string& name) const
{
    if (!Settings.ShowFileColors)
        return Settings.DirectoryColor;
    return ExtensionColors::shared().colorOf(name, Settings.DirectoryColor);
}

void TFPanel::drawCell(int row, bool cursor)
{
    const PanelGeometry g = geometry();
    if (!g.laidOut || row < 0 || row >= g.cells())
        return;
    const int column = row / g.rows;
    const int x0 = g.cellLeft(row);
    const int top = g.cellTop(row);
    const int bottom = top + g.lineHeight;
    const bool bar = cursor && IsActive;

    // The column segments of this row, between the column lines.
    struct Segment {
        int left, right;
    };
    Segment segments[4];
    int segmentCount = 0;
    if (Settings.ViewMode == ViewMode::Full) {
        const int n = g.nameColWidth, s = g.sizeColWidth, d = g.dateColWidth;
        int edges[3];
        int edgeCount = 0;
        edges[edgeCount++] = n;
        if (n + s < g.listRight)
            edges[edgeCount++] = n + s;
        if (n + s + d < g.width - 4)
            edges[edgeCount++] = n + s + d;
        int left = 5;
        for (int i = 0; i < edgeCount; ++i) {
            segments[segmentCount++] = { left, std::min(edges[i] - 1, g.width - 5) };
            left = edges[i] + 2;
        }
        segments[segmentCount++] = { left, g.width - 5 };
    } else {
        const bool last = column == g.columns - 1;
        segments[segmentCount++]
            = { x0 + 2, last ? g.width - 5 : std::min(x0 + g.columnWidth - 2, g.width - 5) };
    }
    for (int i = 0; i < segmentCount; ++i) {
        m_canvas.setBrushColor(bar && i == 0 ? Settings.PanelSelectFon : Settings.PanelFon);
        m_canvas.fillRect(segments[i].left, top, segments[i].right, bottom);
    }

    const int index = TopIndex + row + 1;
    if (index < 1 || index > Browser.Count)
        return;
    const Entry& entry = Browser.Entries[static_cast<std::size_t>(index - 1)];
    int32_t color;
    if (entry.Selected)
        color = Settings.FileSelectColor;
    else if ((entry.Attr & faHidden) && !entry.IsParent)
        color = silver;
    else
        color = NameColor(entry.FullName);
    useFont(entry.isFolder() || entry.IsParent);
    m_canvas.setFontColor(color);
    const int textY = top + 2;
    int textX = x0 + 3;
    if (Settings.IndentFolders && entry.isFolder() && !entry.IsParent)
        textX += 17;
    const Segment name = segments[0];
    const int clipRight
        = Settings.ViewMode == ViewMode::Full ? name.right : std::min(name.right, x0 + 2 + g.cellTextWidth);
    m_canvas.textRect(name.left, top, clipRight, bottom, textX, textY, qtext(entry.FullName));
    if (Settings.ViewMode != ViewMode::Full)
        return;

    // Size, date and time columns, each clipped to its column.
    useFont(false);
    const int n = g.nameColWidth, s = g.sizeColWidth, d = g.dateColWidth;
    const int room = segments[1].right - (n + 3);
    const std::string size = sizeColumnText(entry, Texts.Folder,
        [&](const std::string& text) { return m_canvas.textWidth(qtext(text)) <= room; });
    m_canvas.textRect(segments[1].left, top, segments[1].right, bottom, n + 3, textY, qtext(size));
    if (segmentCount > 2 && d >= 3 && !entry.IsParent)
        m_canvas.textRect(segments[2].left, top, segments[2].right, bottom, n + s + 3, textY,
            qtext(formatDate(entry.Written, Language == "AMERICAN")));
    if (segmentCount > 3 && segments[3].right - segments[3].left >= 2 && !entry.IsParent)
        m_canvas.textRect(segments[3].left, top, segments[3].right, bottom, n + s + d + 3, textY,
            qtext(formatTime(entry.Written)));
}

void TFPanel::DrawList()
{
    if (!listMode() || width() <= 0)
        return;
    const PanelGeometry g = geometry();
    for (int row = 0; row < g.cells(); ++row)
        drawCell(row, false);
    DrawColumnLines();
    DrawFooter("All");
    update();
}

PanelCursor TFPanel::cursorModel() const
{
    const PanelGeometry g = geometry();
    PanelCursor cursor;
    cursor.setPage(g.rows, g.columns, Browser.Count);
    cursor.TopIndex = TopIndex;
    cursor.CursorRow = CursorRow;
    cursor.normalize();
    return cursor;
}

void TFPanel::PlaceCursor()
{
    const PanelCursor cursor = cursorModel();
    TopIndex = cursor.TopIndex;
    CursorRow = cursor.CursorRow;
    if (Browser.Count > 0)
        Browser.CurIndex = CurrentIndex();
    recordCurrent();
}

void TFPanel::recordCurrent()
{
    const int index = CurrentIndex();
    if (index < 1 || index > Browser.Count) {
        CurrentName.clear();
        CurrentIsFolder = false;
        CurrentSize = 0;
        return;
    }
    const Entry& entry = Browser.Entries[static_cast<std::size_t>(index - 1)];
    CurrentName = entry.FullName;
    CurrentIsFolder = entry.isFolder();
    CurrentSize = entry.Size;
}

void TFPanel::DrawCursor()
{
    if (!listMode() || width() <= 0)
        return;
    if (Browser.Count > 0 && IsActive)
        drawCell(CursorRow, true);
    recordCurrent();
    DrawFooter("File");
    if (IsActive && Browser.Count > 0) {
        if (OnChangePos)
            OnChangePos(this);
        if (OtherPanel && OtherPanel->Settings.ViewMode == ViewMode::QuickView
            && OtherPanel->QuickViewFile != CurrentPath()) {
            OtherPanel->QuickViewFile = CurrentPath();
            OtherPanel->ShowQuickView();
        }
    }
    DrawScrollThumb();
    update();
}

void TFPanel::EraseCursor()
{
    if (!listMode() || width() <= 0)
        return;
    drawCell(CursorRow, false);
    update();
}

void TFPanel::DrawFooter(const std::string& what)
{
    if (!listMode() || width() <= 0)
        return;
    const PanelGeometry g = geometry();
    const int w = g.width;
    useFont(false);
    if (what == "All" && Settings.ShowCurDir) {
        m_canvas.setBrushColor(Settings.PanelFon);
        m_canvas.fillRect(5, 6, w - 5, g.headerHeight);
        std::string header = Browser.CurrentFolder();
        if (Browser.DiskKind == DiskKind::Archive)
            header = ArchiveType + ": " + Browser.DiskRoot + "\\" + Browser.Folder;
        const QString text = qtext(header);
        const int textWidth = m_canvas.textWidth(text);
        const int x = std::max(6, g.listLeft + (g.listRight - g.listLeft - textWidth) / 2);
        const int y = 6 + (g.headerHeight - 6 - m_letterHeight) / 2;
        m_canvas.setFontColor(Settings.PathColor);
        m_canvas.textRect(5, 6, w - 5, g.headerHeight, x, y, text);
    }

    const int top = g.listBottom + 3;
    const int bottom = g.height - g.stripHeight - 4;
    m_canvas.setBrushColor(Settings.PanelFon);
    m_canvas.fillRect(5, top, w - 5, bottom);
    const int firstLine = g.listBottom + 4;
    const int secondLine = firstLine + footerLineSpacing(Settings.FontSizeSetting);
    auto text = [&](int x, int y, int32_t color, const std::string& value) {
        m_canvas.setFontColor(color);
        m_canvas.textRect(5, top, w - 5, bottom, x, y, qtext(value));
        return m_canvas.textWidth(qtext(value));
    };

    const int index = CurrentIndex();
    const bool haveEntry = index >= 1 && index <= Browser.Count;
    const Entry* entry = haveEntry ? &Browser.Entries[static_cast<std::size_t>(index - 1)] : nullptr;
    int x = 6;
    if (entry && Settings.ShowFileName)
        x += text(x, firstLine, Settings.SysTextColor, "<" + entry->FullName + ">   ");
    if (entry && !entry->IsParent) {
        if (Settings.ShowFileSize) {
            text(x, firstLine, Settings.SizeInfoColor, footerSizeText(*entry, Texts.Folder));
        }
        if (Settings.ShowFileDate) {
            const std::string stamp
                = formatDate(entry->Written, Language == "AMERICAN") + "  " + formatTime(entry->Written);
            const int stampWidth = m_canvas.textWidth(qtext(stamp));
            text(g.listRight - 10 - stampWidth, firstLine, Settings.SizeInfoColor, stamp);
        }
    }
    if (Settings.ShowFreeDisk) {
        const bool floppy = !Browser.DiskRoot.empty() && lowerAscii(Browser.DiskRoot[0]) == 'a';
        const std::string number = floppy ? formatThousands(FreeSpace) : formatThousands(FreeSpace / 1000000);
        text(6, secondLine, Settings.SysTextColor, number + " " + Texts.FreeSpace);
    }
    if (Browser.SelCount > 0) {
        // Right-aligned, drawn from the right: numbers in the footer colour,
        // words in white.
        const std::string parts[4] = { formatCount(Browser.SelBytes),
            " " + Texts.bytes + " " + Texts.in + " ", std::to_string(Browser.SelCount), " " + Texts.files };
        const int32_t colors[4] = { Settings.SysTextColor, white, Settings.SysTextColor, white };
        int right = g.listRight - 8;
        for (int i = 3; i >= 0; --i) {
            right -= m_canvas.textWidth(qtext(parts[i]));
            text(right, secondLine, colors[i], parts[i]);
        }
    }
    update();
}

void TFPanel::drawRaisedThumb(int x, bool erase)
{
    const PanelGeometry g = geometry();
    const int top = g.stripTop, bottom = g.stripBottom + 1;
    m_canvas.setBrushColor(systemColorValue(clBtnFace));
    m_canvas.fillRect(x, top, x + 20, bottom);
    if (erase)
        return;
    m_canvas.setPenColor(white);
    m_canvas.moveTo(x, bottom - 1);
    m_canvas.lineTo(x, top);
    m_canvas.lineTo(x + 20, top);
    m_canvas.setPenColor(gray);
    m_canvas.moveTo(x + 19, top + 1);
    m_canvas.lineTo(x + 19, bottom);
    m_canvas.moveTo(x + 1, bottom - 1);
    m_canvas.lineTo(x + 19, bottom - 1);
}

void TFPanel::DrawScrollThumb()
{
    if (!listMode() || !Settings.ShowScrollBar || width() <= 0)
        return;
    const PanelGeometry g = geometry();
    const int x = 3 + thumbOffset(g.width, CurrentIndex(), Browser.Count);
    if (x == m_thumbX)
        return;
    EraseScrollThumb();
    drawRaisedThumb(x, false);
    m_thumbX = x;
    update();
}

void TFPanel::EraseScrollThumb()
{
    if (m_thumbX < 0 || !Settings.ShowScrollBar)
        return;
    drawRaisedThumb(m_thumbX, true);
    m_thumbX = -1;
    update();
}

void TFPanel::readInfoFigures()
{
    const TFPanel* other = OtherPanel ? OtherPanel : this;
    const std::string& path = other->Settings.Path;
    m_info.letter = path.empty() ? 'C' : path[0];
    m_info.total = other->TotalSpace;
    m_info.free = other->FreeSpace;
    const MemoryStatus memory = memoryStatus();
    m_info.totalMemory = memory.totalPhysical;
    m_info.availableMemory = memory.availablePhysical;
    m_info.availablePageFile = memory.availablePageFile;
    // A failed volume query gives an empty label and serial; no message.
    const VolumeFacts volume = volumeFacts(lowerAscii(m_info.letter));
    m_info.label = VolumeLabel(m_info.letter, volume.label);
    m_info.serial = volume.serial;
    m_infoStale = false;
}

void TFPanel::DrawInfo()
{
    if (Settings.ViewMode != ViewMode::Information || width() <= 0)
        return;
    if (m_infoStale)
        readInfoFigures();
    const PanelGeometry g = geometry();
    const int w = g.width, h = g.height;
    m_canvas.setBrushColor(Settings.PanelFon);
    m_canvas.fillRect(0, 0, w, h);
    m_canvas.setPenColor(Settings.LineColor);
    m_canvas.frameRect(3, 4, w - 3, h - 2);
    m_canvas.frameRect(4, 5, w - 4, h - 3);

    const int f = 8;
    m_canvas.setFont(m_infoFont);
    m_canvas.setFontColor(Settings.SysInfoText);
    int y = 11;
    auto line = [&](const std::string& value) {
        const QString text = qtext(value);
        const int x = std::max(6, g.listLeft + (g.listRight - g.listLeft - m_canvas.textWidth(text)) / 2);
        m_canvas.textRect(5, 6, w - 5, h - 5, x, y, text);
    };
    auto next = [&] { y += 2 * f; };
    auto rule = [&] {
        m_canvas.setBrushColor(Settings.LineColor);
        const int ruleY = y + (5 * f) / 2;
        m_canvas.fillRect(5, ruleY, w - 5, ruleY + 1);
        y += 3 * f;
    };
    line("Orvanta for Win95/98/NT");
    next();
    line("Version 1.11 release");
    rule();
    line(Texts.TotalDriveSize + " - " + formatThousands(m_info.total) + " " + Texts.bytes);
    next();
    line(Texts.InfoFreeSpace + " - " + formatThousands(m_info.free) + " " + Texts.bytes);
    next();
    line(Texts.TotalMemory + " - " + formatThousands(m_info.totalMemory / 1024) + " Kb");
    next();
    line(Texts.SwapFile + " - " + formatThousands(m_info.availablePageFile / 1024) + " Kb");
    next();
    const int64_t hundredth = m_info.totalMemory / 100;
    const int64_t load = hundredth > 0 ? m_info.availableMemory / hundredth : 0;
    line(Texts.MemoryLoad + " - " + std::to_string(load) + " %");
    rule();
    line(Texts.DriveName + " " + std::string(1, m_info.letter) + ": " + m_info.label);
    next();
    line(Texts.SerialNum + ": " + m_info.serial);
    rule();
    drawSunkenEdge();
    update();
}

void TFPanel::ShowQuickView()
{
    if (Settings.ViewMode != ViewMode::QuickView || width() <= 0)
        return;
    const int w = width(), h = height();
    m_canvas.resize(w, h);
    m_canvas.setBrushColor(systemColorValue(clBtnFace));
    m_canvas.fillRect(0, 0, w, h);
    drawSunkenEdge();
    m_quickPicture = QImage();
    const std::string extension = dottedExtension(QuickViewFile);
    if (oneOf(extension, { ".bmp", ".jpg", ".jpeg", ".gif", ".ico" })) {
        const auto host = DriveTable::instance().toHost(QuickViewFile);
        const QSize box(w - 2, h - 2);
        if (host && box.width() > 0 && box.height() > 0) {
            const Picture picture = PictureCache::shared().load(*host, box);
            if (picture.status == PictureStatus::Ok && !picture.image.isNull()) {
                const QSize shown = fitPictureSize(picture.naturalSize, box);
                m_quickPicture = picture.image.size() == shown
                    ? picture.image
                    : picture.image.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                m_quickNatural = picture.naturalSize;
                const int left = (w - shown.width() - 2) / 2 + 1;
                const int top = shown.height() < h + 10 ? (h - shown.height()) / 2 : 0;
                m_canvas.drawImage(left, top, m_quickPicture);
            }
        }
    }
    update();
}

// --- cursor and list operations --------------------------------------------

void TFPanel::applyMove(const PanelCursor& moved, CursorMove move)
{
    if (move == CursorMove::None)
        return;
    const bool draw = listMode() && width() > 0;
    if (move == CursorMove::Cursor && draw)
        EraseCursor();
    TopIndex = moved.TopIndex;
    CursorRow = moved.CursorRow;
    if (Browser.Count > 0)
        Browser.CurIndex = CurrentIndex();
    recordCurrent();
    if (!draw)
        return;
    if (move == CursorMove::Page)
        DrawList();
    DrawCursor();
}

void TFPanel::moveBy(CursorMove (PanelCursor::*step)())
{
    PanelCursor cursor = cursorModel();
    applyMove(cursor, (cursor.*step)());
}

void TFPanel::CursorUp()
{
    moveBy(&PanelCursor::up);
}

void TFPanel::CursorDown()
{
    moveBy(&PanelCursor::down);
}

void TFPanel::PageRight()
{
    moveBy(&PanelCursor::pageRight);
}

void TFPanel::PageLeft()
{
    moveBy(&PanelCursor::pageLeft);
}

void TFPanel::CursorHome()
{
    moveBy(&PanelCursor::home);
}

void TFPanel::CursorEnd()
{
    moveBy(&PanelCursor::end);
}

void TFPanel::SetCursorIndex(int n)
{
    PanelCursor cursor = cursorModel();
    cursor.setIndex(n);
    TopIndex = cursor.TopIndex;
    CursorRow = cursor.CursorRow;
    if (Browser.Count > 0)
        Browser.CurIndex = CurrentIndex();
    recordCurrent();
}

std::string TFPanel::CurrentPath() const
{
    return Browser.CurrentFolder() + Browser.NameAt(CurrentIndex());
}

bool TFPanel::HasCurrentEntry() const
{
    const int index = CurrentIndex();
    return index >= 1 && index <= Browser.Count;
}

void TFPanel::enterFolderAt(int index)
{
    if (m_reading || index < 1 || index > Browser.Count)
        return;
    // A folder of the host is read ahead on a worker; archives list from
    // their directory in memory.
    std::optional<OfferedListing> offer;
    const Entry& target = Browser.Entries[static_cast<std::size_t>(index - 1)];
    if (Browser.DiskKind == DiskKind::Standard && !Browser.Busy && target.isFolder()) {
        std::string folder = Browser.Folder;
        if (!target.IsParent) {
            folder += target.FullName + "\\";
        } else if (!folder.empty()) {
            folder.pop_back();
            const auto slash = folder.find_last_of('\\');
            folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
        }
        if ((!target.IsParent || !Browser.Folder.empty()) && !readAhead(Browser.DiskRoot + folder, offer))
            return;
    }
    if (!Browser.EnterFolder(index))
        return;
    if (Browser.DiskKind == DiskKind::Standard)
        ArchiveType.clear();
    if (OnAddFolderHistory)
        OnAddFolderHistory(this, Browser.CurrentFolder());
    TopIndex = 0;
    CursorRow = 0;
    SetCursorIndex(Browser.CurIndex);
    redrawAll();
    if (OnChangeFolder)
        OnChangeFolder(this, PanelName);
}

void TFPanel::EnterItem()
{
    if (!listMode() || Browser.Count == 0)
        return;
    const int index = std::clamp(CurrentIndex(), 1, Browser.Count);
    const Entry entry = Browser.Entries[static_cast<std::size_t>(index - 1)];
    if (entry.isFolder() || entry.IsParent) {
        enterFolderAt(index);
        return;
    }
    const std::string upperExt = upperAscii(entry.Ext);
    if (Browser.DiskKind == DiskKind::Standard
        && oneOf(upperExt, { "ZIP", "RAR", "LZH", "ARC", "HA", "CAB", "ARJ" })) {
        Browser.PushDisk(Browser.CurrentFolder() + entry.FullName, DiskKind::Archive, "");
        if (Browser.DiskKind != DiskKind::Archive)
            return; // no archive disk to show it with
        ArchiveType = upperExt;
        TopIndex = 0;
        CursorRow = 0;
        SetCursorIndex(1);
        redrawAll();
        return;
    }
    if (OnAddFileHistory)
        OnAddFileHistory(this, entry.FullName);
    // A member of an archive is taken out into the private cache and opened there.
    const std::string fullPath = Browser.LocalPath(index);
    if (fullPath.empty())
        return;
    const std::string extension = dottedExtension(entry.FullName);
    if (oneOf(extension,
            { ".bmp", ".jpg", ".gif", ".ico", ".mid", ".rmi", ".mp2", ".mp3", ".xm", ".s3m", ".stm", ".mod",
                ".itz", ".wav" })) {
        if (OnFileEnter)
            OnFileEnter(this, fullPath);
        return;
    }
    if (extension == ".dll") {
        if (OnOpenResources)
            OnOpenResources(this, fullPath);
        return;
    }
    const auto host = DriveTable::instance().toHost(fullPath);
    if (!host)
        return;
    const std::string workingFolder = DriveTable::instance().toHost(Settings.Path).value_or(std::string());
    // Programs run in the shown folder: the classic extensions and what
    // Linux itself runs (an ELF image or a "#!" script with an execute bit).
    const bool program = oneOf(extension, { ".exe", ".com", ".bat" }) || isExecutableProgram(*host);
    if (program && Browser.DiskKind != DiskKind::Standard) {
        // A program in an archive is shown, never started.
        if (OnFileEnter)
            OnFileEnter(this, fullPath);
        return;
    }
    const bool started
        = program ? launcher().startProgram({ *host }, workingFolder) : launcher().openDocument(*host);
    if (!started)
        messageBox(
            "Cannot open " + entry.FullName + ": " + launcher().failure, "Orvanta", Buttons::Ok, Icon::Error);
}

void TFPanel::GoUp()
{
    if (!listMode() || Browser.Count == 0)
        return;
    if (Browser.AtRoot()) {
        PanelCursor cursor = cursorModel();
        applyMove(cursor, cursor.setRow(0));
        return;
    }
    // As Enter on "..": out of the folder, or out of the archive at its top.
    if (Browser.Entries[0].IsParent)
        enterFolderAt(1);
}

void TFPanel::EnterFolderUnderCursor()
{
    if (!listMode() || !HasCurrentEntry())
        return;
    const int index = CurrentIndex();
    const Entry& entry = Browser.Entries[static_cast<std::size_t>(index - 1)];
    if (entry.isFolder() && !entry.IsParent)
        enterFolderAt(index);
    else if (!entry.isFolder() && Browser.DiskKind == DiskKind::Standard
        && oneOf(upperAscii(entry.Ext), { "ZIP", "RAR", "LZH", "ARC", "HA", "CAB", "ARJ" }))
        EnterItem(); // an archive is entered as Enter enters it
}

void TFPanel::GoRoot()
{
    if (Settings.ViewMode == ViewMode::QuickView)
        return;
    const char letter = Settings.Path.empty() ? 'c' : Settings.Path[0];
    Settings.Path = std::string(1, letter) + ":\\";
    ReadFolder();
    if (OnChangeFolder)
        OnChangeFolder(this, PanelName);
}

void TFPanel::changeDrive(int step)
{
    if (Settings.Path.empty())
        return;
    const char current = lowerAscii(Settings.Path[0]);
    for (char letter = static_cast<char>(current + step); letter >= 'a' && letter <= 'z';
         letter = static_cast<char>(letter + step)) {
        const DriveType type = DriveTable::instance().typeOf(letter);
        if (type != DriveType::Removable && type != DriveType::Fixed && type != DriveType::CdRom
            && type != DriveType::Remote)
            continue;
        if (!driveReady(letter) || !driveSpace(letter).known)
            continue;
        Settings.Path = std::string(1, letter) + ":\\";
        ReadFolder();
        if (OnChangeFolder)
            OnChangeFolder(this, PanelName);
        if (OtherPanel && OtherPanel->Settings.ViewMode == ViewMode::Information)
            OtherPanel->Layout();
        return;
    }
}

void TFPanel::PreviousDrive()
{
    if (Settings.ViewMode != ViewMode::QuickView)
        changeDrive(-1);
}

void TFPanel::NextDrive()
{
    if (Settings.ViewMode != ViewMode::QuickView)
        changeDrive(+1);
}

void TFPanel::SelectAndDown()
{
    if (Settings.ViewMode == ViewMode::QuickView || Browser.Count == 0)
        return;
    PanelCursor cursor = cursorModel();
    const int index = cursor.current();
    if (!Browser.Entries[static_cast<std::size_t>(index - 1)].IsParent)
        Browser.ToggleSelect(index);
    const CursorMove move = cursor.down();
    if (move == CursorMove::None) {
        if (listMode())
            DrawCursor();
        return;
    }
    applyMove(cursor, move);
}

void TFPanel::InvertSelection(bool withFolders)
{
    if (Settings.ViewMode == ViewMode::QuickView)
        return;
    for (int i = 1; i <= Browser.Count; ++i) {
        const Entry& entry = Browser.Entries[static_cast<std::size_t>(i - 1)];
        if (entry.IsParent || (entry.isFolder() && !withFolders))
            continue;
        Browser.ToggleSelect(i);
    }
    if (listMode()) {
        DrawList();
        DrawCursor();
    }
}

void TFPanel::ToggleQuickView(const std::string& activePath)
{
    if (Settings.ViewMode == ViewMode::QuickView) {
        Settings.ViewMode = ViewMode::Brief;
        Settings.Columns = 3;
        m_quickPicture = QImage();
    } else {
        Settings.ViewMode = ViewMode::QuickView;
        QuickViewFile = activePath;
    }
    Layout();
}

void TFPanel::ToggleInfo()
{
    if (Settings.ViewMode == ViewMode::Information) {
        Settings.ViewMode = m_modeBeforeInfo;
    } else {
        m_modeBeforeInfo = Settings.ViewMode;
        Settings.ViewMode = ViewMode::Information;
        m_infoStale = true;
    }
    Layout();
}

void TFPanel::ToggleHidden()
{
    if (Settings.ViewMode == ViewMode::QuickView)
        return;
    TopIndex = 0;
    CursorRow = 0;
    Settings.ShowHiddenFiles = !Settings.ShowHiddenFiles;
    Browser.ShowHidden = Settings.ShowHiddenFiles;
    Browser.Refresh();
    SetCursorIndex(1);
    redrawAll();
}

void TFPanel::QuickSearch(const std::string& text)
{
    if (Settings.ViewMode == ViewMode::QuickView)
        return;
    const int index = quickSearchIndex(Browser, text);
    if (index == 0)
        return;
    PanelCursor cursor = cursorModel();
    applyMove(cursor, cursor.setIndex(index));
}

void TFPanel::QuickSearchNext(const std::string& text)
{
    if (Settings.ViewMode == ViewMode::QuickView || text.empty() || Browser.Count == 0)
        return;
    Browser.CurIndex = CurrentIndex();
    Browser.FindNextMatch(lowerText(text) + "*.*");
    SetCursorIndex(Browser.CurIndex);
    redrawAll();
}

void TFPanel::Refresh()
{
    if (m_reading)
        return;
    std::optional<OfferedListing> offer;
    if (Browser.DiskKind == DiskKind::Standard && !Browser.Busy && !Browser.DiskRoot.empty()
        && !readAhead(Browser.CurrentFolder(), offer))
        return;
    Browser.Refresh();
    PlaceCursor();
    redrawAll();
}

void TFPanel::PointToCursor(int x, int y, bool force)
{
    if (!listMode() || Browser.Count == 0)
        return;
    const PanelGeometry g = geometry();
    auto ceilDiv = [](int a, int b) { return a <= 0 ? 0 : (a + b - 1) / b; };
    const int column = std::clamp(ceilDiv(x - 3, g.columnWidth), 1, g.columns);
    const int row = std::clamp(ceilDiv(y - g.headerHeight - 2, g.lineHeight), 1, g.rows);
    PanelCursor cursor = cursorModel();
    const CursorMove move = cursor.setRow((column - 1) * g.rows + row - 1);
    if (move == CursorMove::None && force) {
        DrawCursor();
        return;
    }
    applyMove(cursor, move);
}

bool TFPanel::KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (Settings.ViewMode == ViewMode::QuickView)
        return false;
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    switch (key) {
    case Qt::Key_Up:
        CursorUp();
        return true;
    case Qt::Key_Down:
        CursorDown();
        return true;
    case Qt::Key_Right:
        ctrl ? NextDrive() : PageRight();
        return true;
    case Qt::Key_Left:
        ctrl ? PreviousDrive() : PageLeft();
        return true;
    case Qt::Key_PageDown:
        ctrl ? EnterFolderUnderCursor() : PageRight();
        return true;
    case Qt::Key_PageUp:
        ctrl ? GoUp() : PageLeft();
        return true;
    case Qt::Key_Home:
        CursorHome();
        return true;
    case Qt::Key_End:
        CursorEnd();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        EnterItem();
        return true;
    case Qt::Key_Backslash:
        if (!ctrl)
            return false;
        GoRoot();
        return true;
    case Qt::Key_Insert:
    case Qt::Key_Space:
        SelectAndDown();
        return true;
    case Qt::Key_Asterisk:
        if (!modifiers.testFlag(Qt::KeypadModifier))
            return false;
        InvertSelection(ctrl);
        return true;
    case Qt::Key_H:
        if (!ctrl)
            return false;
        ToggleHidden();
        return true;
    case Qt::Key_I:
        if (!ctrl)
            return false;
        Settings.IndentFolders = !Settings.IndentFolders;
        redrawAll();
        if (OtherPanel) {
            OtherPanel->Settings.IndentFolders = Settings.IndentFolders;
            OtherPanel->redrawAll();
        }
        return true;
    case Qt::Key_Q:
        if (!ctrl || !OtherPanel)
            return false;
        OtherPanel->ToggleQuickView(CurrentPath());
        return true;
    case Qt::Key_L:
        if (!ctrl || !OtherPanel)
            return false;
        OtherPanel->ToggleInfo();
        return true;
    default:
        return false;
    }
}

// --- mouse -----------------------------------------------------------------

void TFPanel::wheelEvent(QWheelEvent* event)
{
    event->accept();
    if (m_reading || !listMode() || Browser.Count == 0)
        return;
    // 120 eighths of a degree make one notch; a notch away from the user
    // (positive) moves up.
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / 120;
    m_wheelRemainder -= notches * 120;
    for (int row = 0; row < 3 * std::abs(notches); ++row) {
        if (notches > 0)
            CursorUp();
        else
            CursorDown();
    }
}

int TFPanel::columnLineAt(int x) const
{
    const int lines[3] = { Settings.NameColWidth, Settings.NameColWidth + Settings.SizeColWidth,
        Settings.NameColWidth + Settings.SizeColWidth + Settings.DateColWidth };
    for (int i = 0; i < 3; ++i)
        if (x >= lines[i] - 1 && x <= lines[i] + 2)
            return i + 1;
    return 0;
}

void TFPanel::startAutoScroll(const char* direction)
{
    if (m_autoScroll == direction)
        return;
    stopAutoScroll();
    m_autoScroll = direction;
    (m_autoScroll == "UP" ? m_timerUp : m_timerDown).start();
}

void TFPanel::stopAutoScroll()
{
    m_timerUp.stop();
    m_timerDown.stop();
    m_autoScroll.clear();
}

void TFPanel::autoScrollTick(bool down)
{
    if (!window()->isActiveWindow()) {
        endGesture();
        return;
    }
    const int before = CurrentIndex();
    down ? CursorDown() : CursorUp();
    if (m_gesture == Gesture::Right && CurrentIndex() != before)
        paintSelection(CurrentIndex(), CurrentIndex());
}

void TFPanel::endGesture()
{
    m_gesture = Gesture::None;
    m_dragArmed = false;
    m_resizing = 0;
    stopAutoScroll();
    if (m_hint)
        m_hint->hide();
}

void TFPanel::CancelGesture()
{
    endGesture();
}

void TFPanel::paintSelection(int fromIndex, int toIndex)
{
    if (fromIndex > toIndex)
        std::swap(fromIndex, toIndex);
    bool changed = false;
    for (int i = std::max(fromIndex, 1); i <= std::min(toIndex, Browser.Count); ++i) {
        const Entry& entry = Browser.Entries[static_cast<std::size_t>(i - 1)];
        if (entry.IsParent || entry.Selected == m_paintSelects)
            continue;
        Browser.ToggleSelect(i);
        changed = true;
        const int row = i - 1 - TopIndex;
        if (row >= 0 && row < geometry().cells())
            drawCell(row, row == CursorRow);
    }
    if (changed)
        DrawFooter("File");
}

void TFPanel::showDragHint(QPoint at)
{
    QWidget* host = window();
    if (!m_hint) {
        m_hint = new QLabel(host == this ? this : host);
        m_hint->setObjectName(QStringLiteral("DragHint"));
        m_hint->setAutoFillBackground(true);
        QPalette palette = m_hint->palette();
        palette.setColor(QPalette::Window, Qt::white);
        palette.setColor(QPalette::WindowText, Qt::black);
        m_hint->setPalette(palette);
        m_hint->setFont(makeFont("Arial", 8, false));
        m_hint->setAlignment(Qt::AlignCenter);
    }
    const QString text = Browser.SelCount > 0 ? QStringLiteral("Copy %1 files").arg(Browser.SelCount)
                                              : QStringLiteral("Copy [%1]").arg(qtext(m_dragName));
    m_hint->setText(text);
    const int hintWidth = m_hint->fontMetrics().horizontalAdvance(text) + 6;
    m_hint->resize(hintWidth, 18);
    const QWidget* parent = m_hint->parentWidget();
    const QPoint point = parent == this ? at : mapTo(parent, at);
    const int x = std::max(6, std::min(point.x() + 9, parent->width() - 15 - hintWidth));
    m_hint->move(x, point.y() + 4);
    m_hint->show();
    m_hint->raise();
}

QString TFPanel::dragHintText() const
{
    return m_hint ? m_hint->text() : QString();
}

bool TFPanel::dragHintVisible() const
{
    return m_hint && !m_hint->isHidden();
}

void TFPanel::mousePressEvent(QMouseEvent* event)
{
    if (m_reading)
        return;
    if (OnCloseQuickSearch)
        OnCloseQuickSearch(this);
    const int x = event->position().toPoint().x();
    const int y = event->position().toPoint().y();
    const Qt::MouseButton button = event->button();
    const PanelGeometry g = geometry();
    const auto activate = [this] {
        if (!IsActive && OnChangeActive)
            OnChangeActive(this, "Active");
    };

    if (!listMode()) {
        if (button == Qt::RightButton) {
            if (OnChangeDrive)
                OnChangeDrive(this, PanelName);
        } else if (button == Qt::LeftButton) {
            activate();
        }
        return;
    }
    if (Settings.ViewMode == ViewMode::Full && y > 4 && y < g.headerHeight) {
        if (const int column = columnLineAt(x)) {
            m_resizing = column;
            return;
        }
    }
    if (y < g.headerHeight) {
        if (button == Qt::RightButton) {
            if (OnChangeDrive)
                OnChangeDrive(this, PanelName);
        } else if (button == Qt::LeftButton) {
            activate();
            m_gesture = Gesture::Left;
            m_pressPoint = QPoint(x, y);
            startAutoScroll("UP");
        }
        return;
    }
    const bool inList = y > g.headerHeight && y < g.listBottom && x < g.width - 3;
    if (!inList) {
        if (y > g.listBottom) {
            activate();
            if (OnChangeFolder)
                OnChangeFolder(this, PanelName);
            if (button == Qt::LeftButton && y < g.height - g.stripHeight) {
                m_gesture = Gesture::Left;
                m_pressPoint = QPoint(x, y);
                startAutoScroll("DOWN");
            }
        }
        return;
    }
    activate();
    if (OnChangeFolder)
        OnChangeFolder(this, PanelName);
    const bool force = RedrawOnPress || button == Qt::RightButton;
    RedrawOnPress = false;
    PointToCursor(x, y, force);
    m_pressPoint = QPoint(x, y);
    m_dragName = Browser.NameAt(CurrentIndex());
    m_dragArmed = false;
    if (button == Qt::LeftButton) {
        m_gesture = Gesture::Left;
    } else if (button == Qt::RightButton) {
        m_gesture = Gesture::Right;
        const int index = CurrentIndex();
        m_paintSelects = !Browser.IsSelected(index);
        paintSelection(index, index);
    } else if (button == Qt::MiddleButton) {
        if (OnViewFile)
            OnViewFile(this);
    }
}

void TFPanel::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    const int x = point.x(), y = point.y();
    const PanelGeometry g = geometry();

    if (m_resizing) {
        if (m_resizing == 1)
            Settings.NameColWidth = std::max(10, std::min(x, g.width - 11));
        else if (m_resizing == 2)
            Settings.SizeColWidth = std::max(5, x - Settings.NameColWidth);
        else
            Settings.DateColWidth = std::max(5, x - Settings.NameColWidth - Settings.SizeColWidth);
        Layout();
        return;
    }
    if (m_gesture == Gesture::None) {
        const bool overLine
            = Settings.ViewMode == ViewMode::Full && y > 4 && y < g.headerHeight && columnLineAt(x) != 0;
        if (overLine)
            setCursor(Qt::SplitHCursor);
        else
            unsetCursor();
        return;
    }

    if (m_gesture == Gesture::Left && !m_dragArmed) {
        const bool armed = OldDrag
            ? (std::abs(x - m_pressPoint.x()) > 5 || std::abs(y - m_pressPoint.y()) > 5)
            : (PanelName == "Right" ? x < 0 : x >= g.width - 2);
        if (armed && Browser.Count > 0 && !m_dragName.empty() && m_dragName != "..") {
            m_dragArmed = true;
            stopAutoScroll();
        }
    }
    if (m_dragArmed) {
        showDragHint(point);
        return;
    }

    if (y <= g.headerHeight) {
        startAutoScroll("UP");
        return;
    }
    if (y >= g.listBottom) {
        startAutoScroll("DOWN");
        return;
    }
    stopAutoScroll();
    if (m_gesture == Gesture::Left) {
        PointToCursor(x, y);
    } else {
        const int before = CurrentIndex();
        PointToCursor(x, y);
        if (CurrentIndex() != before)
            paintSelection(before, CurrentIndex());
    }
}

int TFPanel::DraggedIndex() const
{
    if (m_dragName.empty())
        return 0;
    for (int i = 1; i <= Browser.Count; ++i)
        if (Browser.NameAt(i) == m_dragName)
            return i;
    return 0;
}

void TFPanel::mouseReleaseEvent(QMouseEvent*)
{
    const bool drop = m_dragArmed;
    endGesture();
    if (drop && OnDragCopy)
        OnDragCopy(this);
}

void TFPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (m_reading)
        return;
    const QPoint point = event->position().toPoint();
    const PanelGeometry g = geometry();
    if (!listMode() || event->button() != Qt::LeftButton)
        return;
    if (point.y() <= g.headerHeight || point.y() >= g.listBottom || point.x() >= g.width - 3)
        return;
    PointToCursor(point.x(), point.y());
    EnterItem();
}

void TFPanel::keyPressEvent(QKeyEvent* event)
{
    if (m_reading) {
        if (event->key() == Qt::Key_Escape)
            CancelRead();
        return;
    }
    if (!KeyDown(event->key(), event->modifiers()))
        QWidget::keyPressEvent(event);
}

void TFPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_canvas.image());
}

void TFPanel::resizeEvent(QResizeEvent*)
{
    Layout();
}

} // namespace ov
