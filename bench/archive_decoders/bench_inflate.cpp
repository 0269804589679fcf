// Inflate and CRC-32 against zlib. The corpus is built at run time from
// files on this machine (programs and text under /usr, up to 64 MB), packed
// with zlib's raw deflate at level 6; each run decodes it in 32768-byte
// blocks to a null sink with the CRC-32 on, as an extraction does.
#include "archive/crc.h"
#include "archive/decoders/inflate.h"
#include "bench/ratio.h"

#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes& corpus()
{
    static const Bytes data = [] {
        Bytes out;
        for (const char* root : { "/usr/bin", "/usr/share/doc", "/usr/include" }) {
            std::error_code error;
            for (auto it = std::filesystem::recursive_directory_iterator(root, error);
                 it != std::filesystem::recursive_directory_iterator() && out.size() < (64u << 20);
                 it.increment(error)) {
                if (error || !it->is_regular_file(error) || it->is_symlink(error))
                    continue;
                std::ifstream in(it->path(), std::ios::binary);
                out.insert(out.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            }
        }
        out.resize(std::min<std::size_t>(out.size(), 64u << 20));
        return out;
    }();
    return data;
}

const Bytes& packed()
{
    static const Bytes data = [] {
        const Bytes& raw = corpus();
        z_stream z {};
        deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        Bytes out(deflateBound(&z, uLong(raw.size())));
        z.next_in = const_cast<Bytef*>(raw.data());
        z.avail_in = uInt(raw.size());
        z.next_out = out.data();
        z.avail_out = uInt(out.size());
        deflate(&z, Z_FINISH);
        out.resize(z.total_out);
        deflateEnd(&z);
        return out;
    }();
    return data;
}

constexpr std::size_t Block = 32768;

void BM_ours_inflate(benchmark::State& state)
{
    const Bytes& input = packed();
    auto decoder = std::make_unique<ov::InflateState>();
    Bytes out(Block);
    for (auto _ : state) {
        decoder->reset(corpus().size());
        std::uint32_t crc = 0xFFFFFFFFu;
        std::size_t at = 0;
        for (;;) {
            ov::DecodeStream stream;
            const std::size_t chunk = std::min(Block, input.size() - at);
            stream.input = std::span<const std::uint8_t>(input.data() + at, chunk);
            stream.inputEnd = at + chunk == input.size();
            stream.output = std::span<std::uint8_t>(out.data(), out.size());
            const ov::Status status = ov::inflateDecode(stream, *decoder);
            at += chunk - stream.input.size();
            crc = ov::crc32Update(crc, out.data(), out.size() - stream.output.size());
            if (status.isDone() || status.isCorrupt())
                break;
        }
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpus().size()));
}
BENCHMARK(BM_ours_inflate)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_zlib_inflate(benchmark::State& state)
{
    const Bytes& input = packed();
    Bytes out(Block);
    for (auto _ : state) {
        z_stream z {};
        inflateInit2(&z, -15);
        uLong crc = crc32(0, nullptr, 0);
        std::size_t at = 0;
        int result = Z_OK;
        while (result == Z_OK) {
            const std::size_t chunk = std::min(Block, input.size() - at);
            z.next_in = const_cast<Bytef*>(input.data() + at);
            z.avail_in = uInt(chunk);
            z.next_out = out.data();
            z.avail_out = uInt(out.size());
            result = inflate(&z, Z_NO_FLUSH);
            at += chunk - z.avail_in;
            crc = crc32(crc, out.data(), uInt(out.size() - z.avail_out));
            if (result == Z_BUF_ERROR)
                result = Z_OK;
        }
        inflateEnd(&z);
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpus().size()));
}
BENCHMARK(BM_zlib_inflate)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ours_crc32(benchmark::State& state)
{
    const Bytes& data = corpus();
    for (auto _ : state)
        benchmark::DoNotOptimize(ov::crc32(data.data(), data.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_ours_crc32)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_zlib_crc32(benchmark::State& state)
{
    const Bytes& data = corpus();
    for (auto _ : state)
        benchmark::DoNotOptimize(crc32(0, data.data(), uInt(data.size())));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_zlib_crc32)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

const bool ratios = ovBenchRatio("inflate", "BM_ours_inflate", "BM_zlib_inflate", "zlib inflate + crc32")
    && ovBenchRatio("crc32", "BM_ours_crc32", "BM_zlib_crc32", "zlib crc32");

} // namespace

OV_BENCH_MAIN()
