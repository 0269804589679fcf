// libmpg123 as the MPEG layer sets it up (16-bit output at every rate,
// flags added, never set) over any bytes, fed in pieces through its feed
// interface: whatever comes in, decoding returns and ends.
#include <mpg123.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = [] {
        mpg123_init();
        return true;
    }();
    (void)ready;
    int error = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (!handle)
        return 0;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(handle);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open_feed(handle) == MPG123_OK) {
        unsigned char out[8192];
        // Pieces of 997 bytes: frames straddle the feeds.
        for (size_t at = 0; at < size; at += 997) {
            const size_t piece = size - at < 997 ? size - at : 997;
            if (mpg123_feed(handle, data + at, piece) != MPG123_OK)
                break;
            for (int rounds = 0; rounds < 64; ++rounds) {
                size_t done = 0;
                const int result = mpg123_read(handle, out, sizeof out, &done);
                if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
                    break;
            }
        }
    }
    mpg123_delete(handle);
    return 0;
}
