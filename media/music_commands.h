// The music of the main window: registers "PlaySound", "PlayMpeg",
// "PlayModule" (file handlers) and "StopMusic", "PlayLast", "WhatPlaying"
// (commands), each running on the window's one MusicControl, which is made
// on first use over the window's status-bar controls (Label2, PosBar,
// b_cont, StatusBar1) and its own 100 ms Timer3; and installs the volume
// reader and writer (TVolumeControl over the system mixer) on the window.
// It also has the window make its volume bar VolBar as a TRegulator, whose
// presses set the named channel's level and whose right press (or any
// press on Label1) moves to the next channel; Label1 shows the window-text
// colour while the mouse is over it, the grey-text colour otherwise.
#pragma once

namespace ov {

class Mixer;
class TForm1;

void registerMusicCommands();
// Gives a window its volume reader and writer at once (they read 0 until a
// music command runs otherwise). The volumes go to `mixer` when one is
// given (it must outlive the window), else to the system mixer.
void attachMusic(TForm1& form, Mixer* mixer = nullptr);

} // namespace ov
