// The music of the main window: registers "PlaySound", "PlayMpeg",
// "PlayModule" (file handlers) and "StopMusic", "PlayLast", "WhatPlaying"
// (commands), each running on the window's one MusicControl, which is made
// on first use over the window's status-bar controls (Label2, PosBar,
// b_cont, StatusBar1) and its own 100 ms Timer3; and installs the volume
// reader and writer (TVolumeControl over the system mixer) on the window.
#pragma once

namespace ov {

class TForm1;

void registerMusicCommands();
// Gives a window its volume reader and writer at once (they read 0 until a
// music command runs otherwise).
void attachMusic(TForm1& form);

} // namespace ov
