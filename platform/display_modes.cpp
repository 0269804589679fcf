// DisplayModes over XRandR, and the fake; see display_modes.h.
//
// The screen resources are read with XRRGetScreenResourcesCurrent, which
// answers from what the server knows and never probes the outputs (a probe
// can take seconds and make monitors flicker); only a server that reports
// no output at all that way is asked with a probe. The output is the primary
// one, else the first connected output that drives a CRTC.
#include "platform/display_modes.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ov {

bool FakeDisplayModes::mode(int index, DisplayMode& out)
{
    ++Enumerations;
    if (index < 0 || static_cast<std::size_t>(index) >= Modes.size())
        return false;
    out = Modes[static_cast<std::size_t>(index)];
    return true;
}

DisplayChange FakeDisplayModes::change(const DisplayMode& wanted)
{
    Changes.push_back(wanted);
    if (Refuse)
        return DisplayChange::Failed;
    const DisplayMode* best = nullptr;
    for (const DisplayMode& offered : Modes) {
        if (offered.width != wanted.width || offered.height != wanted.height)
            continue;
        if (!best
            || (wanted.rate > 0 && std::abs(offered.rate - wanted.rate) < std::abs(best->rate - wanted.rate)))
            best = &offered;
    }
    if (!best)
        return DisplayChange::BadMode;
    Current = *best;
    return DisplayChange::Successful;
}

namespace {

// The error of the last Xlib call made under an ErrorTrap.
int lastXError = 0;

int recordXError(Display*, XErrorEvent* event)
{
    lastXError = event->error_code;
    return 0;
}

// Our own error handler for the calls made while it lives: Xlib's default
// one ends the process on any error. Errors are collected by a round trip.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display)
        : m_display(display)
    {
        XSync(m_display, False);
        lastXError = 0;
        m_previous = XSetErrorHandler(recordXError);
    }
    ~ErrorTrap()
    {
        XSync(m_display, False);
        XSetErrorHandler(m_previous);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits for the server to answer everything sent; the error seen, or 0.
    int error()
    {
        XSync(m_display, False);
        return lastXError;
    }

private:
    Display* m_display;
    XErrorHandler m_previous = nullptr;
};

double rateOf(const XRRModeInfo& info)
{
    double lines = info.vTotal;
    if (info.modeFlags & RR_DoubleScan)
        lines *= 2;
    if (info.modeFlags & RR_Interlace)
        lines /= 2;
    if (info.hTotal == 0 || lines == 0)
        return 0;
    return static_cast<double>(info.dotClock) / (info.hTotal * lines);
}

// The root window's size as the server has it now (Xlib's own figures
// change only when the client handles the screen's change events).
void rootSize(Display* display, Window root, int& width, int& height)
{
    Window parent = 0;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    XGetGeometry(display, root, &parent, &x, &y, &w, &h, &border, &depth);
    width = static_cast<int>(w);
    height = static_cast<int>(h);
}

const XRRModeInfo* findMode(const XRRScreenResources* resources, RRMode id)
{
    for (int i = 0; i < resources->nmode; ++i)
        if (resources->modes[i].id == id)
            return &resources->modes[i];
    return nullptr;
}

// What one look at the server found: the resources, the output in use,
// its CRTC. Frees them when it goes.
struct Snapshot {
    XRRScreenResources* resources = nullptr;
    RROutput output = 0;
    XRROutputInfo* outputInfo = nullptr;
    XRRCrtcInfo* crtcInfo = nullptr;

    Snapshot() = default;
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    ~Snapshot()
    {
        if (crtcInfo)
            XRRFreeCrtcInfo(crtcInfo);
        if (outputInfo)
            XRRFreeOutputInfo(outputInfo);
        if (resources)
            XRRFreeScreenResources(resources);
    }
};

} // namespace

struct XrandrModes::Connection {
    Display* display = nullptr;
    Window root = 0;
    int bits = 0;
    std::vector<DisplayMode> modes; // read at mode(0)
    ~Connection()
    {
        if (display)
            XCloseDisplay(display);
    }

    // Reads the resources, the output and its CRTC; false when there is no
    // usable output.
    bool look(Snapshot& snapshot)
    {
        ErrorTrap trap(display);
        snapshot.resources = XRRGetScreenResourcesCurrent(display, root);
        if (!snapshot.resources || trap.error())
            return false;
        // A server whose outputs exist only once its driver is asked (Xephyr,
        // the RandR 1.0 compatibility output) knows none without that one
        // probe; every other server answers from what it already knows.
        if (snapshot.resources->noutput == 0) {
            XRRFreeScreenResources(snapshot.resources);
            snapshot.resources = XRRGetScreenResources(display, root);
            if (!snapshot.resources || trap.error())
                return false;
        }
        const RROutput primary = XRRGetOutputPrimary(display, root);
        std::vector<RROutput> order;
        if (primary)
            order.push_back(primary);
        for (int i = 0; i < snapshot.resources->noutput; ++i)
            if (snapshot.resources->outputs[i] != primary)
                order.push_back(snapshot.resources->outputs[i]);
        for (const RROutput output : order) {
            XRROutputInfo* info = XRRGetOutputInfo(display, snapshot.resources, output);
            if (trap.error() || !info) {
                if (info)
                    XRRFreeOutputInfo(info);
                continue;
            }
            if (info->connection == RR_Connected && info->crtc) {
                snapshot.output = output;
                snapshot.outputInfo = info;
                snapshot.crtcInfo = XRRGetCrtcInfo(display, snapshot.resources, info->crtc);
                return snapshot.crtcInfo && !trap.error();
            }
            XRRFreeOutputInfo(info);
        }
        return false;
    }
};

XrandrModes::XrandrModes(std::string displayName)
    : m_displayName(std::move(displayName))
{
}

XrandrModes::~XrandrModes() = default;

int XrandrModes::lastError() const
{
    return lastXError;
}

bool XrandrModes::available()
{
    if (m_tried)
        return m_connection != nullptr;
    m_tried = true;
    if (m_displayName.empty()) {
        // A Wayland session's X server only emulates modes for its own clients.
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        const char* session = std::getenv("XDG_SESSION_TYPE");
        if ((wayland && *wayland) || (session && std::string(session) == "wayland"))
            return false;
    }
    Display* display = XOpenDisplay(m_displayName.empty() ? nullptr : m_displayName.c_str());
    if (!display)
        return false;
    auto connection = std::make_unique<Connection>();
    connection->display = display;
    connection->root = DefaultRootWindow(display);
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor)
        || major < 1 || (major == 1 && minor < 3))
        return false;
    // Bits per pixel of the root depth's pixmap format.
    const int depth = DefaultDepth(display, DefaultScreen(display));
    int count = 0;
    if (XPixmapFormatValues* formats = XListPixmapFormats(display, &count)) {
        for (int i = 0; i < count; ++i)
            if (formats[i].depth == depth)
                connection->bits = formats[i].bits_per_pixel;
        XFree(formats);
    }
    if (connection->bits == 0)
        connection->bits = depth;
    m_connection = std::move(connection);
    return true;
}

DisplayMode XrandrModes::current()
{
    if (!available())
        return {};
    Snapshot snapshot;
    if (!m_connection->look(snapshot))
        return {};
    DisplayMode mode;
    mode.width = static_cast<int>(snapshot.crtcInfo->width);
    mode.height = static_cast<int>(snapshot.crtcInfo->height);
    mode.bits = m_connection->bits;
    if (const XRRModeInfo* info = findMode(snapshot.resources, snapshot.crtcInfo->mode))
        mode.rate = rateOf(*info);
    return mode;
}

bool XrandrModes::mode(int index, DisplayMode& out)
{
    if (index < 0 || !available())
        return false;
    if (index == 0) {
        // The output's modes in its own order, read once per enumeration.
        m_connection->modes.clear();
        Snapshot snapshot;
        if (!m_connection->look(snapshot))
            return false;
        for (int i = 0; i < snapshot.outputInfo->nmode; ++i)
            if (const XRRModeInfo* info = findMode(snapshot.resources, snapshot.outputInfo->modes[i]))
                m_connection->modes.push_back({ static_cast<int>(info->width), static_cast<int>(info->height),
                    m_connection->bits, rateOf(*info) });
    }
    if (static_cast<std::size_t>(index) >= m_connection->modes.size())
        return false;
    out = m_connection->modes[static_cast<std::size_t>(index)];
    return true;
}

void XrandrModes::screenSize(int& width, int& height)
{
    width = height = 0;
    if (!available())
        return;
    ErrorTrap trap(m_connection->display);
    rootSize(m_connection->display, m_connection->root, width, height);
}

bool XrandrModes::setScreenSize(int width, int height)
{
    if (!available())
        return false;
    Display* display = m_connection->display;
    const int screen = DefaultScreen(display);
    ErrorTrap trap(display);
    // About the same dots per millimetre as at the start.
    const int widthMm
        = std::max(1, DisplayWidthMM(display, screen) * width / std::max(1, DisplayWidth(display, screen)));
    const int heightMm = std::max(
        1, DisplayHeightMM(display, screen) * height / std::max(1, DisplayHeight(display, screen)));
    XRRSetScreenSize(display, m_connection->root, width, height, widthMm, heightMm);
    return trap.error() == 0;
}

DisplayChange XrandrModes::change(const DisplayMode& wanted)
{
    if (!available())
        return DisplayChange::Failed;
    Display* display = m_connection->display;
    Snapshot snapshot;
    if (!m_connection->look(snapshot))
        return DisplayChange::Failed;

    // The output's mode of that size: the first, or the closest in rate.
    const XRRModeInfo* chosen = nullptr;
    for (int i = 0; i < snapshot.outputInfo->nmode; ++i) {
        const XRRModeInfo* info = findMode(snapshot.resources, snapshot.outputInfo->modes[i]);
        if (!info || static_cast<int>(info->width) != wanted.width
            || static_cast<int>(info->height) != wanted.height)
            continue;
        if (!chosen
            || (wanted.rate > 0
                && std::abs(rateOf(*info) - wanted.rate) < std::abs(rateOf(*chosen) - wanted.rate)))
            chosen = info;
    }
    if (!chosen)
        return DisplayChange::BadMode;
    XRRCrtcInfo& crtc = *snapshot.crtcInfo;
    if (chosen->id == crtc.mode)
        return DisplayChange::Successful;

    // The screen must hold every CRTC: ours at its new size, the others as
    // they are.
    const bool sideways = crtc.rotation & (RR_Rotate_90 | RR_Rotate_270);
    const int newWidth = static_cast<int>(sideways ? chosen->height : chosen->width);
    const int newHeight = static_cast<int>(sideways ? chosen->width : chosen->height);
    int screenWidth = crtc.x + newWidth, screenHeight = crtc.y + newHeight;
    {
        ErrorTrap trap(display);
        for (int i = 0; i < snapshot.resources->ncrtc; ++i) {
            if (snapshot.resources->crtcs[i] == snapshot.outputInfo->crtc)
                continue;
            XRRCrtcInfo* other = XRRGetCrtcInfo(display, snapshot.resources, snapshot.resources->crtcs[i]);
            if (!other)
                continue;
            if (other->mode) {
                screenWidth = std::max(screenWidth, other->x + static_cast<int>(other->width));
                screenHeight = std::max(screenHeight, other->y + static_cast<int>(other->height));
            }
            XRRFreeCrtcInfo(other);
        }
    }
    int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
    {
        ErrorTrap trap(display);
        if (!XRRGetScreenSizeRange(display, m_connection->root, &minWidth, &minHeight, &maxWidth, &maxHeight)
            || trap.error())
            return DisplayChange::Failed;
    }
    if (screenWidth < minWidth || screenHeight < minHeight || screenWidth > maxWidth
        || screenHeight > maxHeight)
        return DisplayChange::Failed;

    // A larger screen first, so that the new mode fits; a smaller one after
    // the CRTC has shrunk.
    int oldWidth = 0, oldHeight = 0;
    {
        ErrorTrap trap(display);
        rootSize(display, m_connection->root, oldWidth, oldHeight);
    }
    if (screenWidth > oldWidth || screenHeight > oldHeight)
        if (!setScreenSize(std::max(screenWidth, oldWidth), std::max(screenHeight, oldHeight)))
            return DisplayChange::Failed;
    Status status = 0;
    int error = 0;
    {
        ErrorTrap trap(display);
        status = XRRSetCrtcConfig(display, snapshot.resources, snapshot.outputInfo->crtc, CurrentTime, crtc.x,
            crtc.y, chosen->id, crtc.rotation, crtc.outputs, crtc.noutput);
        error = trap.error();
    }
    if (status != RRSetConfigSuccess || error) {
        // The screen goes back to its old size when the CRTC refused.
        setScreenSize(oldWidth, oldHeight);
        return DisplayChange::Failed;
    }
    // The screen is max(old, new) in each direction now.
    if (screenWidth < oldWidth || screenHeight < oldHeight)
        setScreenSize(screenWidth, screenHeight);
    return DisplayChange::Successful;
}

} // namespace ov
