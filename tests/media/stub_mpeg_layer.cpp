// A stand-in MPEG layer for the loading tests: built once without "Seek"
// (STUB_MISSING_SEEK) and once with an init that fails with code 5
// (STUB_INIT_FAILS). Nothing plays.
#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT int init()
{
#ifdef STUB_INIT_FAILS
    return 0;
#else
    return 1;
#endif
}
EXPORT int LastError()
{
#ifdef STUB_INIT_FAILS
    return 5;
#else
    return 0;
#endif
}
EXPORT void deinit() { }
EXPORT void Open(const char*, int, void*, void*, void*, void*, void*, void*, void*) { }
EXPORT void Pause(int) { }
EXPORT void Restart() { }
EXPORT void Stop() { }
EXPORT void SetPriority(int) { }
EXPORT void SetOutputDevice(int, const char*) { }
EXPORT int Play(int, int, unsigned char*)
{
    return 0;
}
EXPORT void Close() { }
EXPORT int GetFrequency()
{
    return 0;
}
EXPORT int GetBitrate()
{
    return 0;
}
EXPORT int GetLayer()
{
    return 0;
}
EXPORT int GetPlayerMode()
{
    return 0;
}
EXPORT int GetCurrentPos()
{
    return 0;
}
EXPORT int GetLength()
{
    return 0;
}
EXPORT void ResetPlayerMode() { }
#ifndef STUB_MISSING_SEEK
EXPORT void Seek(int) { }
#endif
