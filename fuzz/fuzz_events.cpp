// Random SDL event sequences through the engine's event pump, button
// queries, rebinding and coordinate transform, with random window sizes
// and game controllers plugged, moved and unplugged.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdio>
#include <cstdlib>

#include "common.h"

namespace {

constexpr SDL_Scancode default_keys[VYN_KEY_BUTTONS] = {
    SDL_SCANCODE_LEFT, SDL_SCANCODE_RIGHT, SDL_SCANCODE_UP, SDL_SCANCODE_DOWN, SDL_SCANCODE_SPACE, SDL_SCANCODE_C,
};

[[noreturn]] void fail(const char *what) {
  std::fprintf(stderr, "\nfuzz_events: %s\n", what);
  std::abort();
}

// A scancode SDL knows, or any value the enum type can hold (0..1023),
// beyond SDL_NUM_SCANCODES too. Wider values cannot be formed without
// undefined behaviour in the caller.
SDL_Scancode scancode(FuzzedDataProvider &in) {
  return static_cast<SDL_Scancode>(in.ConsumeIntegralInRange<int>(0, in.ConsumeBool() ? SDL_NUM_SCANCODES - 1 : 1023));
}

void push_key(FuzzedDataProvider &in, bool down) {
  SDL_Event ev{};
  ev.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  ev.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  ev.key.repeat = in.ConsumeBool() ? 1 : 0;
  ev.key.keysym.scancode = scancode(in);
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

// Virtual game controllers with every button and axis, plugged in and out
// and moved as a real pad is: SDL itself turns that into controller events.
std::array<SDL_Joystick *, 3> pads{};

void unplug(SDL_Joystick *&pad) {
  const SDL_JoystickID id = SDL_JoystickInstanceID(pad);
  for (int i = 0; i < SDL_NumJoysticks(); i++) {
    if (SDL_JoystickGetDeviceInstanceID(i) == id) {
      SDL_JoystickDetachVirtual(i);
      break;
    }
  }
  SDL_JoystickClose(pad);
  pad = nullptr;
}

void pad_op(FuzzedDataProvider &in) {
  SDL_Joystick *&pad = pads[in.ConsumeIntegralInRange<size_t>(0, pads.size() - 1)];
  if (pad == nullptr) {
    // The dummy window never has focus, without which SDL drops pad input.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index >= 0) pad = SDL_JoystickOpen(index);
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
    if (e.type < VYN_QUIT || e.type > VYN_MOUSE_MOTION) fail("unknown event type");
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
  for (unsigned b = 0; b < VYN_KEY_BUTTONS; b++) VYN_ButtonBind(b, default_keys[b]);
  SDL_Event ev{};
  for (SDL_Scancode key : default_keys) {
    ev = SDL_Event{};
    ev.type = SDL_KEYUP;
    ev.key.keysym.scancode = key;
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
  SDL_SetWindowSize(SDL_GetWindowFromID(1), 341, 256);
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
    switch (in.ConsumeIntegralInRange<int>(0, 13)) {
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
      case 5: {
        SDL_Event ev{};
        ev.type = in.ConsumeBool() ? SDL_QUIT : in.ConsumeIntegral<Uint32>();
        SDL_PushEvent(&ev);
        break;
      }
      case 6:
        resize(in);
        break;
      case 7:
        VYN_ButtonBind(in.ConsumeIntegralInRange<unsigned>(0, 12), scancode(in));
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
