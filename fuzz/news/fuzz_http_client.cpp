// The client's whole response path (head, relocation, body, chunked coding)
// on bytes from a fake socket. The first byte chooses the size of the pieces
// the reply arrives in. The head parser alone is fuzz_http_response.
#include "fuzz/news/fake_socket.h"
#include "news/http_client.h"

#include <QBuffer>
#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static int argc = 1;
    static char name[] = "fuzz_http_client";
    static char* argv[] = { name, nullptr };
    new QCoreApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t piece = data[0] == 0 ? 8192 : data[0];
    auto socket = std::make_unique<ov::FakeSocket>(
        std::string(reinterpret_cast<const char*>(data) + 1, size - 1), piece);
    ov::FakeSocket* fake = socket.get();
    ov::THttpClient client(std::move(socket));
    client.URL = "http://127.0.0.1/start/page.htm";
    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    client.RcvdStream = &stream;
    int64_t delivered = 0;
    client.OnDocData = [&delivered](ov::THttpClient*, const char*, int length) { delivered += length; };
    try {
        client.Get();
    } catch (const ov::EHttpException&) {
    }
    // What the events reported is what the stream received, within the
    // announced length, and relocations stayed within their cap.
    if (delivered != client.RcvdCount() || delivered != stream.size())
        std::abort();
    if (client.ContentLength() >= 0 && client.RcvdCount() > client.ContentLength())
        std::abort();
    if (fake->connections > 21 || client.State() != ov::THttpState::Ready)
        std::abort();
    return 0;
}
