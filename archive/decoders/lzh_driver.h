// The call loop shared by the decoders over LzhInput and OutputWindow (LZH,
// ARJ method 4, LZHUF): hand out pending output, take input, run decode
// steps, and turn their outcome into the decoder's Status.
#pragma once

#include "archive/decoders/decoder.h"
#include "archive/decoders/lzh_input.h"
#include "archive/decoders/output_window.h"

namespace ov {

// What a run of decode steps ended with.
enum class LzhRun { Room, Done, NeedInput, Corrupt };

// `steps(code)` decodes into the window until it is short of room, the
// unpacked size is reached (Done), a step lacks input (NeedInput, input
// rewound to before that step) or the data is bad (Corrupt, code set).
// A failure is kept in `failure` and returned by every later call.
template <typename Steps>
Status driveLzh(DecodeStream& stream, LzhInput& input, OutputWindow& window, Status& failure, Steps steps)
{
    if (failure.isCorrupt())
        return failure;
    for (;;) {
        if (!window.flush(stream))
            return Status::outputFull();
        if (window.atLimit())
            return Status::done();
        input.take(stream);
        int code = 0;
        switch (steps(code)) {
        case LzhRun::Room:
        case LzhRun::Done:
            break;
        case LzhRun::Corrupt:
            failure = Status::corrupt(code);
            return failure;
        case LzhRun::NeedInput:
            if (!stream.input.empty())
                break; // the buffer had no room for all of it yet
            if (input.ended()) {
                failure = Status::corrupt(msgErrorReading);
                return failure;
            }
            if (!window.flush(stream))
                return Status::outputFull();
            return Status::needInput();
        }
    }
}

} // namespace ov
