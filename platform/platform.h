// The little that differs between the systems the game runs on, kept out
// of the engine and the scenes. Each system has its own source file; the
// build picks one.
#pragma once

// Called first in main. Where nobody would see standard error (a game
// double-clicked on Windows has no console), keeps what the game writes
// there and, when start-up fails, shows it to the player in a message box
// before the process ends. Elsewhere it does nothing.
void platform_start();
