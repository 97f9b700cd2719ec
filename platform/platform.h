// The little that differs between the systems the game runs on, kept out
// of the engine and the scenes. Each system has its own source file; the
// build picks one. The game calls these; they answer with what the system
// learnt and never reach into the game.
#pragma once

// Called first in main. Where nobody would see standard error (a game
// double-clicked on Windows has no console), keeps what the game writes
// there so that a failed start can be shown. In a browser without WebGL,
// readies the page's canvas for SDL's software renderer. Elsewhere it does
// nothing.
void platform_start();

// Called when start-up has failed, after the game has written why and just
// before it exits with 1. Where standard error reaches nobody, shows what
// was written (Windows: a message box). Elsewhere it does nothing.
void platform_start_failed();

// Called once the game has started, before its first frame, when nobody
// has chosen the mode yet. True where the system shows its own start
// screen with the warning and both choices (the web page, whose answer
// platform_wait_for_player brings); the game then shows none. Elsewhere
// false: the game shows its own in its window before any scene.
bool platform_asks_player();

// Called once the game has started and shown its first frame, with the
// mode it is playing in (reduced flashing or not). Where the game starts
// before the player asks to play (the web page starts it behind its
// warning, so that the tap does not wait for the start-up), waits for that
// and returns the mode the player chose meanwhile. Elsewhere it returns
// reduce at once.
bool platform_wait_for_player(bool reduce);

// Called between the steps of the game's start-up. Where the start-up
// runs while the player reads a start screen (the web page's warning),
// hands the system its thread for a moment, so that the screen goes on
// answering the player. Elsewhere it does nothing.
void platform_yield();
