// quondel-reduced-flashing.exe, the zip's way to play with reduced
// flashing by a double-click: a shortcut would hold an absolute path that
// breaks when the folder moves, and a file the game reads would change
// every start. A GUI program, so no console window opens; it starts
// quondel.exe from its own folder with --reduce-flashing and whatever
// arguments it was given, with its own standard handles, waits for it and
// ends with its exit code.
#include <windows.h>

#include <string>

namespace {

// The command line after the program's name, from its first blank on.
const wchar_t *arguments(const wchar_t *line) {
  if (*line == L'"') {
    line++;
    while (*line != 0 && *line != L'"') line++;
    if (*line == L'"') line++;
  } else {
    while (*line != 0 && *line != L' ' && *line != L'\t') line++;
  }
  return line;
}

int fail(const std::wstring &game) {
  const std::wstring text = L"Quondel could not be started: " + game +
                            L" is missing. Keep quondel-reduced-flashing.exe in the folder of quondel.exe.";
  MessageBoxW(nullptr, text.c_str(), L"Quondel", MB_OK | MB_ICONERROR);
  return 1;
}

}  // namespace

int main() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  std::wstring game(path, length);
  game.erase(game.find_last_of(L"\\/") + 1);
  game += L"quondel.exe";
  std::wstring command = L"\"" + game + L"\" --reduce-flashing" + arguments(GetCommandLineW());

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(game.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    return fail(game);
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 1;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}
