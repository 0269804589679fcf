// The MPEG audio layer: a small shared library (libovmpeg.so) that decodes
// MPEG audio layers 1 to 3 with libmpg123 for TMPEGPlayer, which loads it at
// run time. It plays one stream at a time on its own decoder thread, either
// to the audio output (device 0) or as raw 16-bit little-endian interleaved
// PCM at the stream's own rate and channels to a file (device 2, "pcmfile").
// Positions and lengths are milliseconds.
//
// Every call but init, deinit and LastError leaves its outcome in
// LastError: 0 no error, 1 internal decoder error, 2 incorrect mode (a call
// out of order), 3 input stream error, 4 input stream is non-seekable,
// 5 output device failure.
//
// The stream is decoded with gapless decoding kept on (libmpg123's encoder
// delay and padding removed) and its length scanned exactly at Open, so the
// PCM equals what `mpg123 -s` writes. A damaged or cut stream plays what
// decodes and ends.
#pragma once

extern "C" {

// Stream callbacks (from-stream mode). `component` is the context given to
// Open; `stream` what the open callback set.
typedef int (*MpegOpenProc)(void* component, int* nonseekable, void** stream);
typedef void (*MpegCloseProc)(void* component, void* stream);
typedef int (*MpegRestartProc)(void* component, void* stream);
typedef int (*MpegReadProc)(void* component, void* stream, void* buffer, int count, int* read);
typedef int (*MpegSeekProc)(void* component, void* stream, int offset, int whence);
typedef int (*MpegGetSizeProc)(void* component, void* stream);

enum MpegError {
    MpegNoError = 0,
    MpegInternalError = 1,
    MpegIncorrectMode = 2,
    MpegInputError = 3,
    MpegNonSeekable = 4,
    MpegOutputError = 5,
};

enum MpegDevice { MpegWaveMapper = 0, MpegPcmFile = 2 };

int init();
void deinit();
// Opens a file by name (fromStream 0) or through the callbacks (1).
void Open(const char* name, int fromStream, MpegOpenProc open, MpegCloseProc close, MpegRestartProc restart,
    MpegReadProc read, MpegSeekProc seek, MpegGetSizeProc getSize, void* component);
// Plays from startMs to endMs (0, or at least the length: to the end). The
// byte at `ended` is set (atomically) once the last sample has been played.
int Play(int startMs, int endMs, unsigned char* ended);
// 0 pauses, 1 resumes.
void Pause(int resume);
// Plays the open stream again from its start.
void Restart();
void Stop();
void Close();
void SetPriority(int priority);
void SetOutputDevice(int device, const char* outFilename);
void Seek(int positionMs);
int GetFrequency();
int GetBitrate(); // kbit/s of the last decoded frame
int GetLayer();
int GetPlayerMode(); // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
int GetCurrentPos();
int GetLength();
void ResetPlayerMode();
int LastError();

// Beyond the nineteen: the stream's channel count, and the frames handed to
// the output since Play (what a PCM file holds).
int GetChannels();
long long GetPlayedFrames();
}
