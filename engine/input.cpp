// Engine input: keys, mouse buttons and position, game controllers and the
// quit request, turned into the engine's buttons and events.
#include <array>
#include <cstdio>

#include "internal.h"

using namespace vyn;

namespace {

State::Input &in = state.input;

// Stick travel past which a direction presses, and below which it lets go
// again: the gap keeps a stick resting near the line from flickering.
constexpr int stick_press = 16384;
constexpr int stick_release = 8192;

int8_t _stick(int8_t held, int value) {
  if (value >= stick_press) return 1;
  if (value <= -stick_press) return -1;
  if ((held > 0 && value >= stick_release) || (held < 0 && value <= -stick_release)) return held;
  return 0;
}

bool _pad_holds(const Pad &p, unsigned button) {
  if (p.controller == nullptr) return false;
  switch (button) {
    case VYN_BTN_LEFT:
      return p.pressed[button] != 0 || p.stick_x < 0;
    case VYN_BTN_RIGHT:
      return p.pressed[button] != 0 || p.stick_x > 0;
    case VYN_BTN_UP:
      return p.pressed[button] != 0 || p.stick_y < 0;
    case VYN_BTN_DOWN:
      return p.pressed[button] != 0 || p.stick_y > 0;
    default:
      return button < VYN_KEY_BUTTONS && p.pressed[button] != 0;
  }
}

bool _any_pad_holds(unsigned button) {
  for (const Pad &p : in.pads) {
    if (_pad_holds(p, button)) return true;
  }
  return false;
}

// Held by any source: a key, a mouse button, any controller.
bool _held(unsigned button) { return in.input[button] != 0 || _any_pad_holds(button); }

std::array<bool, VYN_KEY_BUTTONS> _held_keys() {
  std::array<bool, VYN_KEY_BUTTONS> held{};
  for (unsigned b = 0; b < VYN_KEY_BUTTONS; b++) held[b] = _held(b);
  return held;
}

// The next queued event into e's type, button and source (a controller);
// false when none is left.
bool _pop_pending(VYN_Event *e) {
  if (in.pending_next == in.pending_count) {
    in.pending_next = in.pending_count = 0;
    return false;
  }
  e->type = in.pending[in.pending_next].type;
  e->button = in.pending[in.pending_next].button;
  e->pad = true;  // only controllers queue events
  in.pending_next++;
  return true;
}

// Queues an event for every keyboard button whose held state differs from
// before, in button order, and writes the first of them to e. False when
// nothing changed. Only called with the queue empty.
bool _report_changes(const std::array<bool, VYN_KEY_BUTTONS> &before, VYN_Event *e) {
  for (unsigned b = 0; b < VYN_KEY_BUTTONS; b++) {
    const bool now = _held(b);
    if (now == before[b]) continue;
    VYN_Event &q = in.pending[in.pending_count++];
    q.type = now ? VYN_BUTTON_DOWN : VYN_BUTTON_UP;
    q.button = b;
  }
  return _pop_pending(e);
}

Pad *_pad(SDL_JoystickID id) {
  for (Pad &p : in.pads) {
    if (p.controller != nullptr && p.id == id) return &p;
  }
  return nullptr;
}

// The pad whose input this is, while it is still plugged in. Input a pad
// left queued when it was pulled out (and SDL 3's own recentring of it on
// the way out) counts for nothing: its removal releases what it held.
Pad *_pad_attached(SDL_JoystickID id) {
  Pad *p = _pad(id);
  if (p == nullptr || SDL_GameControllerGetAttached(p->controller) == SDL_FALSE) return nullptr;
  return p;
}

// Opens the controller at a device index unless it is open already.
void _pad_open(int index) {
  SDL_GameController *controller = SDL_GameControllerOpen(index);
  if (controller == nullptr) {
    _sdl_fail();
    return;
  }
  const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
  Pad *slot = nullptr;
  for (Pad &p : in.pads) {
    if (p.controller != nullptr && p.id == id) slot = &p;
  }
  if (slot != nullptr) {
    SDL_GameControllerClose(controller);  // SDL counted a second open
    return;
  }
  for (Pad &p : in.pads) {
    if (p.controller == nullptr && slot == nullptr) slot = &p;
  }
  if (slot == nullptr) {
    std::fprintf(stderr, "too many game controllers, ignoring %s\n", SDL_GameControllerName(controller));
    SDL_GameControllerClose(controller);
    return;
  }
  *slot = Pad{controller, id, {}, 0, 0};
}

// The keyboard button a controller button stands for, or -1.
int _pad_button(uint8_t button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      return VYN_BTN_LEFT;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return VYN_BTN_RIGHT;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      return VYN_BTN_UP;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      return VYN_BTN_DOWN;
    case SDL_CONTROLLER_BUTTON_A:
      return VYN_BTN_ACTION;
    case SDL_CONTROLLER_BUTTON_B:
      return VYN_BTN_ALT;
    default:
      return -1;
  }
}

int _scode_to_button(SDL_Scancode key) {
  for (unsigned i = 0; i < VYN_KEY_BUTTONS; i++) {
    if (in.map[i] == key) return static_cast<int>(i);
  }
  return -1;
}

// A first press of a key bound to no button, as VYN_KEY_DOWN: a screen
// that asks the player (Tab, Enter, Escape) needs more keys than the
// buttons. F11 stays the engine's own.
bool _unbound_press(const SDL_KeyboardEvent &key, int button, VYN_Event *e) {
  if (button >= 0 || key.repeat != 0 || key.keysym.scancode == SDL_SCANCODE_F11) return false;
  e->type = VYN_KEY_DOWN;
  e->key = key.keysym.scancode;
  return true;
}

}  // namespace

void vyn::_input_quit() {
  for (Pad &p : in.pads) {
    if (p.controller != nullptr) SDL_GameControllerClose(p.controller);
    p = Pad{};
  }
  in.pending_count = 0;
  in.pending_next = 0;
}

// ---- Events and buttons -------------------------------------------------

bool VYN_ShouldQuit() { return in.should_quit; }

bool VYN_PollEvent(VYN_Event *e) {
  if (e == nullptr) {
    std::fputs("e is NULL\n", stderr);
    return false;
  }
  e->pad = false;
  if (_pop_pending(e)) return true;
  SDL_Event ev;
  while (SDL_PollEvent(&ev)) {
    switch (ev.type) {
      case SDL_QUIT:
        e->type = VYN_QUIT;
        in.should_quit = true;
        return true;
      case SDL_KEYDOWN: {
        // One toggle per press: a held F11's auto-repeats would flash the
        // whole screen between the two sizes many times a second.
        if (ev.key.keysym.scancode == SDL_SCANCODE_F11 && ev.key.repeat == 0) VYN_ToggleFullscreen();
        const int b = _scode_to_button(ev.key.keysym.scancode);
        if (_unbound_press(ev.key, b, e)) return true;
        if (ev.key.repeat != 0 || b < 0) break;
        const bool pad = _any_pad_holds(static_cast<unsigned>(b));
        in.input[b] = 1;
        if (pad) break;  // already held
        e->type = VYN_BUTTON_DOWN;
        e->button = static_cast<uint32_t>(b);
        return true;
      }
      case SDL_KEYUP: {
        const int b = _scode_to_button(ev.key.keysym.scancode);
        if (b < 0) break;
        in.input[b] = 0;
        if (_any_pad_holds(static_cast<unsigned>(b))) break;  // still held
        e->type = VYN_BUTTON_UP;
        e->button = static_cast<uint32_t>(b);
        return true;
      }
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        const bool down = ev.type == SDL_MOUSEBUTTONDOWN;
        e->type = down ? VYN_BUTTON_DOWN : VYN_BUTTON_UP;
        e->button = static_cast<uint32_t>(ev.button.button) + 5;
        e->x = ev.button.x;
        e->y = ev.button.y;
        VYN_ScreenTransform(&e->x, &e->y);
        in.mouse_x = e->x;
        in.mouse_y = e->y;
        // X1 and X2 move the pointer but are not buttons of ours.
        if (e->button > VYN_BTN_MOUSE_RIGHT) break;
        in.input[e->button] = down ? 1 : 0;
        return true;
      }
      case SDL_CONTROLLERDEVICEADDED:
        _pad_open(ev.cdevice.which);
        break;
      case SDL_CONTROLLERDEVICEREMOVED: {
        Pad *p = _pad(ev.cdevice.which);
        if (p == nullptr) break;
        const auto before = _held_keys();
        SDL_GameControllerClose(p->controller);
        *p = Pad{};
        if (_report_changes(before, e)) return true;
        break;
      }
      case SDL_CONTROLLERBUTTONDOWN:
      case SDL_CONTROLLERBUTTONUP: {
        Pad *p = _pad_attached(ev.cbutton.which);
        if (p == nullptr) break;
        const bool down = ev.type == SDL_CONTROLLERBUTTONDOWN;
        if (down && ev.cbutton.button == SDL_CONTROLLER_BUTTON_BACK) VYN_ToggleFullscreen();
        const int b = _pad_button(ev.cbutton.button);
        if (b < 0) break;
        const auto before = _held_keys();
        p->pressed[b] = down ? 1 : 0;
        if (_report_changes(before, e)) return true;
        break;
      }
      case SDL_CONTROLLERAXISMOTION: {
        Pad *p = _pad_attached(ev.caxis.which);
        if (p == nullptr) break;
        int8_t *held = ev.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX   ? &p->stick_x
                       : ev.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY ? &p->stick_y
                                                                    : nullptr;
        if (held == nullptr) break;
        const auto before = _held_keys();
        *held = _stick(*held, ev.caxis.value);
        if (_report_changes(before, e)) return true;
        break;
      }
      case SDL_MOUSEMOTION:
        e->type = VYN_MOUSE_MOTION;
        e->x = ev.motion.x;
        e->y = ev.motion.y;
        VYN_ScreenTransform(&e->x, &e->y);
        in.mouse_x = e->x;
        in.mouse_y = e->y;
        return true;
      case SDL_WINDOWEVENT:
        if (ev.window.event == SDL_WINDOWEVENT_EXPOSED || ev.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          in.redraw = true;
        }
        break;
      case SDL_RENDER_TARGETS_RESET:
      case SDL_RENDER_DEVICE_RESET:
        in.redraw = true;
        break;
      case SDL_DROPFILE:
      case SDL_DROPTEXT:
        // Nothing is dropped on the game, but SDL hands each dropped
        // file's name over to us to free.
        SDL_free(ev.drop.file);
        break;
      default:
        break;
    }
  }
  return false;
}

bool VYN_WaitEvent(VYN_Event *e) {
  if (e == nullptr) {
    std::fputs("e is NULL\n", stderr);
    return false;
  }
  for (;;) {
    if (VYN_PollEvent(e)) return true;
    if (in.redraw) {
      in.redraw = false;
      e->type = VYN_REDRAW;
      return true;
    }
    if (SDL_WaitEvent(nullptr) == 0) {
      _sdl_fail();
      return false;
    }
  }
}

void VYN_CycleEvents() {
  VYN_Event e{};
  while (VYN_PollEvent(&e)) {
  }
}

bool VYN_ButtonDown(unsigned button) {
  if (button < VYN_BUTTONS) return _held(button);
  std::fprintf(stderr, "%d button doesn't exist\n", static_cast<int>(button));
  return false;
}

void VYN_ButtonBind(unsigned button, SDL_Scancode key) {
  if (button >= VYN_KEY_BUTTONS) {
    std::fprintf(stderr, "button %u can't be remapped to key %s\n", button, SDL_GetScancodeName(key));
    return;
  }
  in.map[button] = key;
  std::fprintf(stderr, "bound key %s to button %u\n", SDL_GetScancodeName(key), button);
}

void VYN_MousePosition(int *x, int *y) {
  if (x != nullptr) *x = in.mouse_x;
  if (y != nullptr) *y = in.mouse_y;
}
