// Two things only Windows needs before the engine starts SDL.
//
// Sizes in points: at 150 % or 200 % display scaling Windows would
// stretch a window that says nothing about scaling, blurred. The program's
// manifest declares it DPI-aware, and SDL is told to size the window in
// points and report the drawable in the display's own pixels, so the
// engine's whole-number letterbox is drawn sharp, as on Wayland.
//
// A game started from Explorer has no standard error: its diagnostics
// would vanish and a failed start-up would look like nothing happened.
// Then standard error goes to a temporary file, and when start-up fails
// the whole text is shown in a message box. With a console, a file or a
// pipe nothing changes.
#include <SDL_hints.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform.h"

namespace {

bool stderr_reaches_someone() {
  HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  // A handle that takes no writes reaches nobody either. Wine hands one
  // over when the Linux side started it with standard error closed: the
  // freed descriptor went to whatever was opened next (a directory, the
  // script that started Wine), read-only.
  DWORD written = 0;
  return WriteFile(handle, "", 0, &written, nullptr) != 0;
}

// Whether standard error went to the temporary file.
bool kept = false;

}  // namespace

void platform_start() {
  // At normal priority: a player's SDL_WINDOWS_DPI_* variables still win.
  SDL_SetHint(SDL_HINT_WINDOWS_DPI_AWARENESS, "permonitorv2");
  SDL_SetHint(SDL_HINT_WINDOWS_DPI_SCALING, "1");
  if (stderr_reaches_someone()) return;
  char dir[MAX_PATH];
  char path[MAX_PATH];
  const DWORD length = GetTempPathA(MAX_PATH, dir);
  if (length == 0 || length >= MAX_PATH || GetTempFileNameA(dir, "qdl", 0, path) == 0) return;
  // T: kept in memory where possible; D: deleted when closed, also when
  // the process is killed.
  kept = std::freopen(path, "w+TD", stderr) != nullptr;
}

void platform_start_failed() {
  if (!kept) return;
  std::fflush(stderr);
  if (std::fseek(stderr, 0, SEEK_SET) != 0) return;
  std::string text;
  char chunk[512];
  size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, stderr)) > 0) text.append(chunk, n);
  MessageBoxA(nullptr, text.c_str(), "Quondel", MB_OK | MB_ICONERROR);
}

bool platform_asks_player() { return false; }

bool platform_wait_for_player(bool reduce) { return reduce; }

void platform_yield() {}
