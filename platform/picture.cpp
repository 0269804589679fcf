#include "platform/picture.h"

#include "platform/atomic_file.h"

#include <QImageReader>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <vector>

#include <jpeglib.h>

namespace ov {

namespace {

// Everything a JPEG decode touches lives here, on the heap: after a
// longjmp back into decodeJpeg only this object is read, through a pointer
// that was fixed before setjmp.
struct JpegDecode {
    jpeg_decompress_struct info {};
    jpeg_error_mgr error {};
    jpeg_progress_mgr progress {};
    std::jmp_buf jump {};
    bool created = false;
    bool tooManyScans = false;
    QImage image;
    std::vector<unsigned char> row;
    Picture picture;
};

JpegDecode* decodeOf(j_common_ptr info)
{
    return static_cast<JpegDecode*>(info->client_data);
}

// A fatal error: back to decodeJpeg, never out of the process.
void onFatalError(j_common_ptr info)
{
    std::longjmp(decodeOf(info)->jump, 1);
}

// Warnings (corrupt data that the decoder works around) are not printed.
void onMessage(j_common_ptr, int) { }

// Progressive files can carry thousands of tiny scans; a real picture needs
// a handful. Beyond the cap the file is refused instead of spinning.
void onProgress(j_common_ptr info)
{
    if (!info->is_decompressor)
        return;
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > maxJpegScans) {
        decodeOf(info)->tooManyScans = true;
        std::longjmp(decodeOf(info)->jump, 1);
    }
}

unsigned char mix(unsigned a, unsigned b)
{
    return static_cast<unsigned char>((a * b + 127) / 255);
}

// One scanline of CMYK samples into RGB32. Adobe's files store the inks
// inverted (255 = no ink), which libjpeg passes through as they are.
void cmykToRgb(const unsigned char* cmyk, QRgb* out, unsigned width, bool inverted)
{
    for (unsigned x = 0; x < width; ++x, cmyk += 4) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[x] = qRgb(mix(c, k), mix(m, k), mix(y, k));
    }
}

} // namespace

QSize fitPictureSize(QSize natural, QSize box)
{
    int width = std::max(natural.width(), 0);
    int height = std::max(natural.height(), 0);
    if (width == 0 || height == 0)
        return QSize(width, height);
    if (box.width() > 0 && width > box.width()) {
        height = std::max(1, static_cast<int>(static_cast<int64_t>(height) * box.width() / width));
        width = box.width();
    }
    if (box.height() > 0 && height > box.height()) {
        width = std::max(1, static_cast<int>(static_cast<int64_t>(width) * box.height() / height));
        height = box.height();
    }
    return QSize(width, height);
}

int jpegScaleNumerator(QSize natural, QSize box)
{
    if (box.isEmpty() || natural.isEmpty())
        return 8;
    const QSize shown = fitPictureSize(natural, box);
    for (int m = 1; m < 8; ++m) {
        // The decoder rounds scaled sizes up.
        const int64_t width = (static_cast<int64_t>(natural.width()) * m + 7) / 8;
        const int64_t height = (static_cast<int64_t>(natural.height()) * m + 7) / 8;
        if (width >= shown.width() && height >= shown.height())
            return m;
    }
    return 8;
}

Picture decodeJpeg(const unsigned char* data, std::size_t size, QSize fitBox)
{
    if (!data || size < 4 || size > 0x7FFFFFFF)
        return Picture();
    const std::unique_ptr<JpegDecode> decode = std::make_unique<JpegDecode>();
    JpegDecode* const d = decode.get();
    d->info.err = jpeg_std_error(&d->error);
    d->error.error_exit = onFatalError;
    d->error.emit_message = onMessage;
    d->info.client_data = d;
    if (setjmp(d->jump)) {
        if (d->created)
            jpeg_destroy_decompress(&d->info);
        d->picture.status = d->tooManyScans ? PictureStatus::TooLarge : PictureStatus::Invalid;
        d->picture.image = QImage();
        return std::move(d->picture);
    }
    jpeg_create_decompress(&d->info);
    d->info.client_data = d;
    d->created = true;
    d->info.mem->max_memory_to_use = 1L << 30;
    d->progress.progress_monitor = onProgress;
    d->info.progress = &d->progress;
    jpeg_mem_src(&d->info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d->info, TRUE);

    const int64_t width = d->info.image_width;
    const int64_t height = d->info.image_height;
    d->picture.naturalSize = QSize(static_cast<int>(width), static_cast<int>(height));
    if (width == 0 || height == 0 || width * height > maxPicturePixels) {
        jpeg_destroy_decompress(&d->info);
        d->picture.status = width == 0 || height == 0 ? PictureStatus::Invalid : PictureStatus::TooLarge;
        return std::move(d->picture);
    }
    const bool cmyk = d->info.jpeg_color_space == JCS_CMYK || d->info.jpeg_color_space == JCS_YCCK;
    d->info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    d->info.scale_num = static_cast<unsigned>(jpegScaleNumerator(d->picture.naturalSize, fitBox));
    d->info.scale_denom = 8;
    jpeg_start_decompress(&d->info);

    const unsigned outWidth = d->info.output_width;
    const unsigned outHeight = d->info.output_height;
    d->image = QImage(static_cast<int>(outWidth), static_cast<int>(outHeight), QImage::Format_RGB32);
    if (d->image.isNull()) {
        jpeg_destroy_decompress(&d->info);
        d->picture.status = PictureStatus::TooLarge;
        return std::move(d->picture);
    }
    if (cmyk)
        d->row.resize(static_cast<std::size_t>(outWidth) * 4);
    while (d->info.output_scanline < outHeight) {
        const int line = static_cast<int>(d->info.output_scanline);
        JSAMPROW target = cmyk ? d->row.data() : d->image.scanLine(line);
        if (jpeg_read_scanlines(&d->info, &target, 1) != 1)
            break;
        if (cmyk)
            cmykToRgb(d->row.data(), reinterpret_cast<QRgb*>(d->image.scanLine(line)), outWidth,
                d->info.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&d->info);
    jpeg_destroy_decompress(&d->info);
    d->created = false;
    d->picture.image = std::move(d->image);
    d->picture.status = PictureStatus::Ok;
    return std::move(d->picture);
}

namespace {

// The encoder's state, on the heap for the same reason as JpegDecode's.
struct JpegEncode {
    jpeg_compress_struct info {};
    jpeg_error_mgr error {};
    std::jmp_buf jump {};
    bool created = false;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
    ~JpegEncode()
    {
        if (created)
            jpeg_destroy_compress(&info);
        std::free(buffer);
    }
};

void onEncodeError(j_common_ptr info)
{
    auto* encode = static_cast<JpegEncode*>(info->client_data);
    (*info->err->format_message)(info, encode->message);
    std::longjmp(encode->jump, 1);
}

} // namespace

int clampJpegQuality(int quality)
{
    return std::clamp(quality, 1, 100);
}

bool saveJpeg(const QImage& image, const std::string& hostPath, int quality, std::string* error)
{
    auto fail = [error](const std::string& text) {
        if (error)
            *error = text;
        return false;
    };
    if (image.isNull())
        return fail("There is no picture to save");
    // Premultiplied pixels are the picture laid on black; the alpha byte is
    // then skipped by the encoder.
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (pixels.isNull())
        return fail("Not enough memory for the picture");

    const std::unique_ptr<JpegEncode> encode = std::make_unique<JpegEncode>();
    JpegEncode* const e = encode.get();
    e->info.err = jpeg_std_error(&e->error);
    e->error.error_exit = onEncodeError;
    e->error.emit_message = onMessage;
    e->info.client_data = e;
    if (setjmp(e->jump))
        return fail(std::string("JPEG error: ") + e->message);
    jpeg_create_compress(&e->info);
    e->info.client_data = e;
    e->created = true;
    jpeg_mem_dest(&e->info, &e->buffer, &e->size);
    e->info.image_width = static_cast<JDIMENSION>(pixels.width());
    e->info.image_height = static_cast<JDIMENSION>(pixels.height());
    e->info.input_components = 4;
    e->info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&e->info);
    jpeg_set_quality(&e->info, clampJpegQuality(quality), TRUE);
    jpeg_start_compress(&e->info, TRUE);
    while (e->info.next_scanline < e->info.image_height) {
        // libjpeg only reads the rows it is given.
        JSAMPROW row = const_cast<JSAMPROW>(pixels.constScanLine(static_cast<int>(e->info.next_scanline)));
        jpeg_write_scanlines(&e->info, &row, 1);
    }
    jpeg_finish_compress(&e->info);

    AtomicFile file;
    if (!file.open(hostPath) || !file.write(e->buffer, e->size) || !file.commit())
        return fail(std::strerror(file.error() ? file.error() : errno));
    return true;
}

Picture loadPicture(const std::string& hostPath, QSize fitBox)
{
    Picture picture;
    std::ifstream file(hostPath, std::ios::binary);
    if (!file) {
        picture.status = PictureStatus::Unreadable;
        return picture;
    }
    unsigned char signature[3] = {};
    file.read(reinterpret_cast<char*>(signature), 3);
    if (file.gcount() == 3 && signature[0] == 0xFF && signature[1] == 0xD8 && signature[2] == 0xFF) {
        file.seekg(0, std::ios::end);
        const std::streamoff length = file.tellg();
        if (length <= 0 || length > 0x7FFFFFFF) {
            picture.status = length <= 0 ? PictureStatus::Unreadable : PictureStatus::TooLarge;
            return picture;
        }
        std::vector<unsigned char> bytes(static_cast<std::size_t>(length));
        file.seekg(0);
        if (!file.read(reinterpret_cast<char*>(bytes.data()), length)) {
            picture.status = PictureStatus::Unreadable;
            return picture;
        }
        return decodeJpeg(bytes.data(), bytes.size(), fitBox);
    }
    file.close();

    // Large photos in other formats need more than Qt's default 256 MB.
    static const bool raised = [] {
        QImageReader::setAllocationLimit(1024);
        return true;
    }();
    (void)raised;
    QImageReader reader(QString::fromStdString(hostPath));
    const QSize declared = reader.size();
    if (declared.isValid() && static_cast<int64_t>(declared.width()) * declared.height() > maxPicturePixels) {
        picture.naturalSize = declared;
        picture.status = PictureStatus::TooLarge;
        return picture;
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        picture.status = PictureStatus::Invalid;
        return picture;
    }
    picture.naturalSize = image.size();
    picture.image = std::move(image);
    picture.status = PictureStatus::Ok;
    return picture;
}

Picture PictureCache::load(const std::string& hostPath, QSize fitBox)
{
    struct stat info { };
    if (::stat(hostPath.c_str(), &info) != 0) {
        clear();
        Picture missing;
        missing.status = PictureStatus::Unreadable;
        return missing;
    }
    const int64_t modified = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    if (hostPath == m_path && modified == m_modifiedNs && info.st_size == m_size && fitBox == m_box)
        return m_picture;
    m_picture = loadPicture(hostPath, fitBox);
    ++m_decodes;
    m_path = hostPath;
    m_modifiedNs = modified;
    m_size = info.st_size;
    m_box = fitBox;
    return m_picture;
}

void PictureCache::clear()
{
    m_path.clear();
    m_modifiedNs = -1;
    m_size = -1;
    m_box = QSize();
    m_picture = Picture();
}

PictureCache& PictureCache::shared()
{
    static PictureCache cache;
    return cache;
}

} // namespace ov
