// The little that differs between the systems the game runs on, kept out
// of the engine and the scenes. Each system has its own source file; the
// build picks one.
#pragma once

// Called first in main. Where nobody would see standard error (a game
// double-clicked on Windows has no console), keeps what the game writes
// there and, when start-up fails, shows it to the player in a message box
// before the process ends. Elsewhere it does nothing.
void platform_start();

// Called once the game has started and shown its first frame. Where the
// game starts before the player asks to play (the web page starts it behind
// its warning, so that the tap does not wait for the start-up), waits for
// that and takes up what the player chose meanwhile. Elsewhere it returns
// at once.
void platform_wait_for_player();
