// TAsyncSocket: the socket component the HTTP client uses; everything it
// needs is already public in TCustomAsyncSocket.
#pragma once

#include "news/custom_async_socket.h"

namespace ov {

class TAsyncSocket : public TCustomAsyncSocket { };

} // namespace ov
