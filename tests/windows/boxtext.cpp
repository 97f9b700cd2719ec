// Prints the text of the message box titled as the game's window, read
// back from its text control the way any program on the desktop can: the
// Windows test compares it with what the game wrote on standard error.
#include <windows.h>

#include <array>
#include <cstdio>

int main(int argc, char **argv) {
  if (argc != 2) return 2;
  HWND box = FindWindowA("#32770", argv[1]);
  if (box == nullptr) return 1;
  // The icon is a text control too, one without text.
  for (HWND c = FindWindowExA(box, nullptr, "Static", nullptr); c != nullptr;
       c = FindWindowExA(box, c, "Static", nullptr)) {
    std::array<char, 4096> text{};
    SendMessageA(c, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    std::fputs(text.data(), stdout);
  }
  return 0;
}
