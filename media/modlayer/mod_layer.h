// The module layer: a small shared library (libovmod.so) that plays
// tracker modules (.mod, .s3m, .xm, .it, .stm, .med …) for TModPlugPlayer,
// which loads it at run time. It renders with libmodplug, which it loads
// itself with dlopen and reaches through dlsym on that library's own
// handle: libmodplug exports a ModPlug_Load of its own (from memory), and a
// layer linked against it would call itself.
//
// Positions are tenths of a second. The maximum is the song's length as
// libmodplug gives it (whole seconds); the current position stays below
// the maximum while the song plays and equals it once the last sample has
// been played, whatever the true rendered length.
//
// No window: ModPlug_SetWindow is kept and draws nothing. A module over
// 64 MiB is refused unread.
#pragma once

extern "C" {

// "hidden|false|width|217|height|35|loop|false|controls|stereo": the
// parameter string; only "loop" changes what is played. Null when
// libmodplug cannot be loaded (ModPlug_LastMessage says why).
void* ModPlug_CreateEx(const char* parameters);
void ModPlug_SetWindow(void* player, void* window);
// Reads and parses a module file; ModPlug_IsReady tells whether it loaded.
void ModPlug_Load(void* player, const char* fileName);
int ModPlug_IsReady(void* player);
void ModPlug_Play(void* player);
void ModPlug_Stop(void* player);
void ModPlug_Destroy(void* player);
int ModPlug_GetMaxPosition(void* player);
int ModPlug_GetCurrentPosition(void* player);

// Beyond the nine: the output (0 the audio output, 2 a raw PCM file of
// 16-bit little-endian stereo at 44,100 Hz), the frames handed to the
// output since Play, whether the song has ended, and the last failure in
// words (empty when none).
void ModPlug_SetOutput(void* player, int device, const char* outFilename);
long long ModPlug_GetPlayedFrames(void* player);
int ModPlug_HasEnded(void* player);
const char* ModPlug_LastMessage(void* player);

// Loads a module from memory (the fuzz target's way in); the same rules
// as ModPlug_Load.
void ModPlug_LoadMemory(void* player, const void* data, int size);
}
