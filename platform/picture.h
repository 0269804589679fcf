// Decoding pictures for the panel's quick view and the picture viewer.
//
// JPEG goes through libjpeg's IJG interface with our own error manager (the
// library's default one ends the process), a cap on the declared size and a
// cap on scans, and DCT scaling: the decoder produces the smallest of the
// 1/8 .. 8/8 scales that still covers the box the picture is shown in, so a
// 12-megapixel photo shown in a panel costs a fraction of a full decode.
// Windows bitmaps, icons and GIF go through Qt's image readers.
//
// PictureCache keeps the last picture by path, modification time and size,
// so repainting or returning to the same file does not decode it again.
#pragma once

#include <QImage>
#include <QSize>

#include <cstddef>
#include <cstdint>
#include <string>

namespace ov {

enum class PictureStatus {
    Ok,
    Unreadable, // the file could not be opened or read
    Invalid, // not a picture of its kind, or damaged beyond use
    TooLarge, // the declared size is beyond the caps
};

struct Picture {
    PictureStatus status = PictureStatus::Invalid;
    QImage image; // the decoded pixels (possibly DCT-scaled)
    QSize naturalSize; // the size the file declares
};

// Caps on what a picture may declare.
constexpr int64_t maxPicturePixels = 200'000'000; // declared width x height
constexpr int maxJpegScans = 1000;

// Decodes a JPEG held in memory. fitBox: the box the picture will be shown
// in; an empty box decodes at full size.
Picture decodeJpeg(const unsigned char* data, std::size_t size, QSize fitBox = QSize());

// Loads a picture file (host path): JPEG by its signature through
// decodeJpeg, anything else through Qt's readers.
Picture loadPicture(const std::string& hostPath, QSize fitBox = QSize());

// The smallest scale numerator M (of M/8, 1..8) at which a picture of size
// natural still covers the part of box it is shown in, keeping its aspect.
int jpegScaleNumerator(QSize natural, QSize box);

// The size a picture of natural size takes in a box: narrowed to the box's
// width, then lowered to its height, keeping the aspect ratio.
QSize fitPictureSize(QSize natural, QSize box);

// A JPEG quality brought into 1..100.
int clampJpegQuality(int quality);

// Compresses image as a JPEG of the given quality (clamped to 1..100) and
// puts it in place of hostPath through AtomicFile: the target stays as it
// was until the whole file is written. Transparent pixels are laid on black.
// false with a message in error when the encoder or the write fails.
bool saveJpeg(const QImage& image, const std::string& hostPath, int quality, std::string* error = nullptr);

class PictureCache {
public:
    // The picture of hostPath for fitBox, decoded again only when the path,
    // modification time, file size or box changed.
    Picture load(const std::string& hostPath, QSize fitBox);
    void clear();
    // How many times load decoded a file (tests and benchmarks).
    int decodeCount() const { return m_decodes; }

    // The cache both panels and the viewer share.
    static PictureCache& shared();

private:
    std::string m_path;
    int64_t m_modifiedNs = -1;
    int64_t m_size = -1;
    QSize m_box;
    Picture m_picture;
    int m_decodes = 0;
};

} // namespace ov
