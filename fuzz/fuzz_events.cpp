// Random SDL event sequences through the engine's event pump, button
// queries, rebinding and coordinate transform, with random window sizes
// and game controllers plugged, moved and unplugged.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common.h"
#include "internal.h"

namespace {

[[noreturn]] void fail(const char *what) {
  std::fprintf(stderr, "\nfuzz_events: %s\n", what);
  std::abort();
}

// A scancode as a keyboard delivers it: SDL never reports one at or past
// SDL_NUM_SCANCODES.
SDL_Scancode key_scancode(FuzzedDataProvider &in) {
  return static_cast<SDL_Scancode>(in.ConsumeIntegralInRange<int>(0, SDL_NUM_SCANCODES - 1));
}

// A scancode a program may pass to VYN_ButtonBind: any value the enum type
// can hold (0..1023), beyond SDL_NUM_SCANCODES too. Wider values cannot be
// formed without undefined behaviour in the caller.
SDL_Scancode bind_scancode(FuzzedDataProvider &in) {
  return static_cast<SDL_Scancode>(in.ConsumeIntegralInRange<int>(0, in.ConsumeBool() ? SDL_NUM_SCANCODES - 1 : 1023));
}

void push_key(FuzzedDataProvider &in, bool down) {
  SDL_Event ev{};
  ev.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  ev.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  ev.key.repeat = in.ConsumeBool() ? 1 : 0;
  ev.key.keysym.scancode = key_scancode(in);
  SDL_PushEvent(&ev);
}

void push_mouse(FuzzedDataProvider &in, Uint32 type) {
  SDL_Event ev{};
  ev.type = type;
  if (type == SDL_MOUSEMOTION) {
    ev.motion.x = in.ConsumeIntegral<int32_t>();
    ev.motion.y = in.ConsumeIntegral<int32_t>();
  } else {
    ev.button.button = in.ConsumeIntegral<Uint8>();
    ev.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    ev.button.x = in.ConsumeIntegral<int32_t>();
    ev.button.y = in.ConsumeIntegral<int32_t>();
  }
  SDL_PushEvent(&ev);
}

// Every other event type SDL 2.26 delivers to a program that asks for
// nothing special. Keys and the mouse have their own cases above; window
// events come from real window operations (window_op); system window
// manager events and extended text editing are never delivered unless the
// program enables them; SDL_POLLSENTINEL is SDL's own marker; and joystick
// and controller events come from the virtual pads (pad_op), since SDL
// reports them only for a device that is there.
constexpr std::array<Uint32, 31> other_types = {
    SDL_QUIT,
    SDL_APP_TERMINATING,
    SDL_APP_LOWMEMORY,
    SDL_APP_WILLENTERBACKGROUND,
    SDL_APP_DIDENTERBACKGROUND,
    SDL_APP_WILLENTERFOREGROUND,
    SDL_APP_DIDENTERFOREGROUND,
    SDL_LOCALECHANGED,
    SDL_DISPLAYEVENT,
    SDL_TEXTEDITING,
    SDL_TEXTINPUT,
    SDL_KEYMAPCHANGED,
    SDL_MOUSEWHEEL,
    SDL_FINGERDOWN,
    SDL_FINGERUP,
    SDL_FINGERMOTION,
    SDL_DOLLARGESTURE,
    SDL_DOLLARRECORD,
    SDL_MULTIGESTURE,
    SDL_CLIPBOARDUPDATE,
    SDL_DROPFILE,
    SDL_DROPTEXT,
    SDL_DROPBEGIN,
    SDL_DROPCOMPLETE,
    SDL_AUDIODEVICEADDED,
    SDL_AUDIODEVICEREMOVED,
    SDL_SENSORUPDATE,
    SDL_RENDER_TARGETS_RESET,
    SDL_RENDER_DEVICE_RESET,
    SDL_USEREVENT,
    SDL_LASTEVENT,
};

bool known_type(Uint32 type) {
  if (std::find(other_types.begin(), other_types.end(), type) != other_types.end()) return true;
  if (type >= SDL_JOYAXISMOTION && type < SDL_FINGERDOWN) return true;
  switch (type) {
    case SDL_WINDOWEVENT:
    case SDL_SYSWMEVENT:
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTEDITING_EXT:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_POLLSENTINEL:
      return true;
    default:
      return false;
  }
}

// One event of another type with a payload valid for it: random values
// where SDL only carries values, a NUL-terminated text in the inline text
// fields, and for a drop the heap text SDL hands over (the receiver frees
// it; drops that begin or complete carry none). A numeric type SDL does
// not know carries nothing.
void push_other(FuzzedDataProvider &in) {
  SDL_Event ev{};
  if (in.ConsumeBool()) {
    ev.type = in.PickValueInArray(other_types);
    const std::vector<uint8_t> payload = in.ConsumeBytes<uint8_t>(sizeof(ev) - sizeof(ev.type));
    if (!payload.empty())
      std::memcpy(reinterpret_cast<uint8_t *>(&ev) + sizeof(ev.type), payload.data(), payload.size());
  } else {
    const Uint32 type = in.ConsumeIntegral<Uint32>();
    if (known_type(type)) return;
    ev.type = type;
  }
  switch (ev.type) {
    case SDL_TEXTEDITING:
      ev.edit.text[sizeof(ev.edit.text) - 1] = '\0';
      break;
    case SDL_TEXTINPUT:
      ev.text.text[sizeof(ev.text.text) - 1] = '\0';
      break;
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
      ev.drop.file = SDL_strdup(in.ConsumeRandomLengthString(64).c_str());
      break;
    case SDL_DROPBEGIN:
    case SDL_DROPCOMPLETE:
      ev.drop.file = nullptr;
      break;
    default:
      break;
  }
  // A refused push leaves the text with us.
  if (SDL_PushEvent(&ev) != 1 && (ev.type == SDL_DROPFILE || ev.type == SDL_DROPTEXT)) SDL_free(ev.drop.file);
}

// Window events as the video driver itself reports them, from operations
// on the game's window.
void window_op(FuzzedDataProvider &in) {
  SDL_Window *w = SDL_GetWindowFromID(1);
  switch (in.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
      SDL_MinimizeWindow(w);
      break;
    case 1:
      SDL_MaximizeWindow(w);
      break;
    case 2:
      SDL_RestoreWindow(w);
      break;
    case 3:
      SDL_HideWindow(w);
      break;
    case 4:
      SDL_ShowWindow(w);
      break;
    default:
      SDL_SetWindowPosition(w, in.ConsumeIntegralInRange<int>(-3000, 3000),
                            in.ConsumeIntegralInRange<int>(-3000, 3000));
      break;
  }
}

// Virtual game controllers with every button and axis, plugged in and out
// and moved as a real pad is: SDL itself turns that into controller events.
std::array<SDL_Joystick *, 3> pads{};

void unplug(SDL_Joystick *&pad) {
  harness::unplug_pad(pad);
  pad = nullptr;
}

void pad_op(FuzzedDataProvider &in) {
  SDL_Joystick *&pad = pads[in.ConsumeIntegralInRange<size_t>(0, pads.size() - 1)];
  if (pad == nullptr) {
    pad = harness::plug_pad();
    return;
  }
  switch (in.ConsumeIntegralInRange<int>(0, 2)) {
    case 0:
      SDL_JoystickSetVirtualButton(pad, in.ConsumeIntegralInRange<int>(0, SDL_CONTROLLER_BUTTON_MAX - 1),
                                   in.ConsumeBool() ? 1 : 0);
      break;
    case 1:
      SDL_JoystickSetVirtualAxis(pad, in.ConsumeIntegralInRange<int>(0, SDL_CONTROLLER_AXIS_MAX - 1),
                                 in.ConsumeIntegral<int16_t>());
      break;
    default:
      unplug(pad);
      break;
  }
}

// Drains the queue through VYN_PollEvent, checking every event it reports.
void drain() {
  VYN_Event e{};
  while (VYN_PollEvent(&e)) {
    // VYN_REDRAW comes from VYN_WaitEvent alone.
    if (e.type < VYN_QUIT || e.type > VYN_KEY_DOWN) fail("unknown event type");
    if (e.type == VYN_KEY_DOWN && e.key == SDL_SCANCODE_F11) fail("F11 reported as a key");
    if (e.type == VYN_BUTTON_DOWN || e.type == VYN_BUTTON_UP) {
      if (e.button >= VYN_BUTTONS) fail("button event outside the nine buttons");
      if (VYN_ButtonDown(e.button) != (e.type == VYN_BUTTON_DOWN)) fail("button state disagrees with its event");
    }
    if (e.type == VYN_MOUSE_MOTION) {
      int x = 0, y = 0;
      VYN_MousePosition(&x, &y);
      if (x != e.x || y != e.y) fail("mouse position disagrees with the motion event");
    }
  }
}

// Window sizes a display can have, plus invalid ones SDL must refuse. Very
// large sizes are left out: the dummy driver backs the window with memory.
void resize(FuzzedDataProvider &in) {
  const int w = in.ConsumeIntegralInRange<int>(-2, 2000);
  const int h = in.ConsumeIntegralInRange<int>(-2, 1200);
  SDL_SetWindowSize(SDL_GetWindowFromID(1), w, h);
  VYN_DrawBegin();
  VYN_DrawEnd();
}

// Each input starts from the default key map, all buttons released and
// the initial window size, so a crash reproduces from its input alone.
void reset() {
  for (SDL_Joystick *&pad : pads) {
    if (pad != nullptr) unplug(pad);
  }
  // The engine's own default map, which it starts from.
  for (unsigned b = 0; b < VYN_KEY_BUTTONS; b++) VYN_ButtonBind(b, static_cast<SDL_Scancode>(vyn::default_map[b]));
  SDL_Event ev{};
  for (int32_t key : vyn::default_map) {
    ev = SDL_Event{};
    ev.type = SDL_KEYUP;
    ev.key.keysym.scancode = static_cast<SDL_Scancode>(key);
    SDL_PushEvent(&ev);
  }
  for (Uint8 button = 1; button <= 3; button++) {
    ev = SDL_Event{};
    ev.type = SDL_MOUSEBUTTONUP;
    ev.button.button = button;
    SDL_PushEvent(&ev);
  }
  VYN_CycleEvents();
  for (unsigned b = 0; b < VYN_BUTTONS; b++) {
    if (VYN_ButtonDown(b)) fail("button still held after its release");
  }
  SDL_Window *w = SDL_GetWindowFromID(1);
  SDL_ShowWindow(w);
  SDL_RestoreWindow(w);
  SDL_SetWindowSize(w, 341, 256);
  VYN_DrawBegin();
  VYN_DrawEnd();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzz::start_engine();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  reset();
  FuzzedDataProvider in(data, size);
  while (in.remaining_bytes() > 0) {
    switch (in.ConsumeIntegralInRange<int>(0, 14)) {
      case 0:
        push_key(in, true);
        break;
      case 1:
        push_key(in, false);
        break;
      case 2:
        push_mouse(in, SDL_MOUSEBUTTONDOWN);
        break;
      case 3:
        push_mouse(in, SDL_MOUSEBUTTONUP);
        break;
      case 4:
        push_mouse(in, SDL_MOUSEMOTION);
        break;
      case 5:
        push_other(in);
        break;
      case 6:
        resize(in);
        break;
      case 7:
        VYN_ButtonBind(in.ConsumeIntegralInRange<unsigned>(0, 12), bind_scancode(in));
        break;
      case 8: {
        const unsigned b =
            in.ConsumeBool() ? in.ConsumeIntegralInRange<unsigned>(0, 9) : in.ConsumeIntegral<unsigned>();
        if (VYN_ButtonDown(b) && b >= VYN_BUTTONS) fail("a button beyond the nine is held");
        break;
      }
      case 9: {
        int x = in.ConsumeIntegral<int32_t>();
        int y = in.ConsumeIntegral<int32_t>();
        const int mode = in.ConsumeIntegralInRange<int>(0, 3);
        VYN_ScreenTransform(mode & 1 ? &x : nullptr, mode & 2 ? &y : nullptr);
        break;
      }
      case 10:
        drain();
        break;
      case 11:
        VYN_CycleEvents();
        break;
      case 12:
        window_op(in);
        break;
      case 13:
        pad_op(in);
        break;
      default:
        if (VYN_PollEvent(nullptr)) fail("polling into a null record reported an event");
        break;
    }
  }
  drain();
  return 0;
}
