#include "probe.h"

#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

// Clocks of the run, in nanoseconds.
int64_t main_mono = 0;    // main() entered
double launch_real = -1;  // BENCH_T0: the shell's clock just before exec, s
int64_t first_mono = 0;   // first frame presented
double first_real = 0;    // the same, on the wall clock, s
int64_t window_mono = 0;  // end of the warm-up: the measured window opens
int64_t last_mono = 0;    // latest frame presented
int64_t window_cpu = 0;   // process CPU time when the window opened
int64_t end_cpu = 0;      // and after the last measured frame
rusage window_usage{};    // user/system split at the same two points
rusage end_usage{};
double wait_window_s = 0;  // time runnable but not running, all threads
double wait_end_s = 0;

// Frames and memory.
int64_t presented = 0;          // all frames, warm-up included
std::vector<double> intervals;  // ms between presents, measured window only
long rss_window_kb = 0;         // resident size when the window opened
long rss_end_kb = 0;
std::array<long, 64> rss_trace{};  // resident size once a second, kB
size_t rss_samples = 0;

// The X server's CPU time over the same window, when BENCH_XPID names it:
// with a software renderer much of a present is spent there.
long xserver_pid = 0;
double xserver_window_s = -1;
double xserver_end_s = -1;

int64_t now_ns(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double now_real_s() { return static_cast<double>(now_ns(CLOCK_REALTIME)) / 1e9; }

// One "Name:   123 kB" field of /proc/self/status, in kB; -1 if absent.
long status_kb(const char *name) {
  FILE *f = std::fopen("/proc/self/status", "r");
  if (f == nullptr) return -1;
  char line[256];
  long value = -1;
  const size_t n = std::strlen(name);
  while (std::fgets(line, sizeof line, f) != nullptr) {
    if (std::strncmp(line, name, n) == 0 && line[n] == ':') {
      value = std::strtol(line + n + 1, nullptr, 10);
      break;
    }
  }
  std::fclose(f);
  return value;
}

double tv_s(const timeval &tv) { return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6; }

// Seconds since the epoch as bash's EPOCHREALTIME writes it; the decimal
// separator follows the locale, so a comma is taken as well.
double parse_epoch(const char *text) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s", text);
  for (char *p = buf; *p != '\0'; p++) {
    if (*p == ',') *p = '.';
  }
  char *end = nullptr;
  const double v = std::strtod(buf, &end);
  return end != buf && v > 0 ? v : -1;
}

void push_key(SDL_EventType type, SDL_Scancode code) {
  SDL_Event ev{};
  ev.type = type;
  ev.key.timestamp = SDL_GetTicks();
  ev.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  ev.key.keysym.scancode = code;
  ev.key.keysym.sym = SDL_GetKeyFromScancode(code);
  SDL_Window *w = probe_window();
  ev.key.windowID = w != nullptr ? SDL_GetWindowID(w) : 0;
  SDL_PushEvent(&ev);
}

// User plus system time of another process, from /proc/PID/stat; -1 if
// unreadable.
double process_cpu_s(long pid) {
  if (pid <= 0) return -1;
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%ld/stat", pid);
  FILE *f = std::fopen(path, "r");
  if (f == nullptr) return -1;
  char buf[1024];
  const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
  std::fclose(f);
  buf[n] = '\0';
  // Fields after the command name, which may itself hold spaces.
  const char *p = std::strrchr(buf, ')');
  if (p == nullptr) return -1;
  unsigned long utime = 0, stime = 0;
  if (std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) != 2) return -1;
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Time this process's threads spent runnable but waiting for a CPU, from
// /proc/self/task/*/schedstat: how much the machine's load held us back.
double runqueue_wait_s() {
  DIR *dir = opendir("/proc/self/task");
  if (dir == nullptr) return 0;
  double total = 0;
  while (const dirent *d = readdir(dir)) {
    if (d->d_name[0] == '.') continue;
    char path[320];
    std::snprintf(path, sizeof path, "/proc/self/task/%.255s/schedstat", d->d_name);
    FILE *f = std::fopen(path, "r");
    if (f == nullptr) continue;
    unsigned long long run = 0, wait = 0;
    if (std::fscanf(f, "%llu %llu", &run, &wait) == 2) total += static_cast<double>(wait) / 1e9;
    std::fclose(f);
  }
  closedir(dir);
  return total;
}

bool parse_size(const char *text, int *w, int *h) { return std::sscanf(text, "%dx%d", w, h) == 2 && *w > 0 && *h > 0; }

}  // namespace

// Empty markers at the edges of the measured window, for instruction
// counts of exactly that window:
//   valgrind --tool=callgrind --zero-before=probe_window_open
//            --dump-before=probe_window_close bench_game ...
extern "C" __attribute__((noinline)) void probe_window_open() { asm volatile(""); }
extern "C" __attribute__((noinline)) void probe_window_close() { asm volatile(""); }

bool probe_parse(int argc, char *argv[], ProbeOptions *o) {
  *o = ProbeOptions{5.0, 0, 30, 0, 0, false, nullptr, true};
  for (int i = 1; i < argc; i++) {
    const char *a = argv[i];
    const char *v = i + 1 < argc ? argv[i + 1] : nullptr;
    if (std::strcmp(a, "--unpaced") == 0) {
      o->unpaced = true;
      continue;
    }
    if (v == nullptr) {
      std::fprintf(stderr, "%s needs a value\n", a);
      return false;
    }
    i++;
    if (std::strcmp(a, "--seconds") == 0) {
      o->seconds = std::atof(v);
    } else if (std::strcmp(a, "--frames") == 0) {
      o->frames = std::atoll(v);
    } else if (std::strcmp(a, "--warmup-frames") == 0) {
      o->warmup_frames = std::atoll(v);
    } else if (std::strcmp(a, "--size") == 0) {
      if (!parse_size(v, &o->width, &o->height)) {
        std::fprintf(stderr, "bad size '%s', expected WxH\n", v);
        return false;
      }
    } else if (std::strcmp(a, "--intervals") == 0) {
      o->intervals = v;
    } else if (std::strcmp(a, "--input") == 0) {
      o->scripted_input = std::strcmp(v, "none") != 0;
    } else {
      std::fprintf(stderr,
                   "usage: %s [--seconds S | --frames N] [--warmup-frames N] [--size WxH] [--unpaced] "
                   "[--intervals FILE] [--input script|none]\n",
                   argv[0]);
      return false;
    }
  }
  if (o->warmup_frames < 1) o->warmup_frames = 1;
  if (o->frames <= 0 && o->seconds <= 0) o->seconds = 5.0;
  // Room for every interval up front so that recording one never
  // allocates inside the measured window.
  const int64_t expected = o->frames > 0 ? o->frames : static_cast<int64_t>(o->seconds * 1000.0) + 1000;
  intervals.reserve(static_cast<size_t>(expected));
  return true;
}

void probe_start() {
  main_mono = now_ns(CLOCK_MONOTONIC);
  const char *t0 = std::getenv("BENCH_T0");
  if (t0 != nullptr) launch_real = parse_epoch(t0);
  const char *xpid = std::getenv("BENCH_XPID");
  if (xpid != nullptr) xserver_pid = std::strtol(xpid, nullptr, 10);
}

SDL_Window *probe_window() {
  // The engine makes exactly one window. Its id need not be 1 (SDL 3 under
  // sdl2-compat numbers displays from the same counter), so the first id
  // that names a window is the engine's.
  for (Uint32 id = 1; id < 64; id++) {
    SDL_Window *w = SDL_GetWindowFromID(id);
    if (w != nullptr) return w;
  }
  return nullptr;
}

void probe_resize(const ProbeOptions &o) {
  if (o.width <= 0 || o.height <= 0) return;
  SDL_Window *w = probe_window();
  if (w != nullptr) SDL_SetWindowSize(w, o.width, o.height);
}

void probe_input(const ProbeOptions &o, int64_t frame) {
  if (!o.scripted_input) return;
  // The intro's drift lasts 90 frames; the action key is then held for
  // half a second and released, which starts the second scene.
  if (frame == 95) push_key(SDL_KEYDOWN, SDL_SCANCODE_SPACE);
  if (frame == 110) push_key(SDL_KEYUP, SDL_SCANCODE_SPACE);
  // Four presses, one image each.
  for (int64_t press = 0; press < 4; press++) {
    const int64_t down = 118 + press * 10;
    if (frame == down) push_key(SDL_KEYDOWN, SDL_SCANCODE_SPACE);
    if (frame == down + 3) push_key(SDL_KEYUP, SDL_SCANCODE_SPACE);
  }
}

bool probe_frame(const ProbeOptions &o) {
  const int64_t t = now_ns(CLOCK_MONOTONIC);
  presented += 1;
  if (presented == 1) {
    first_mono = t;
    first_real = now_real_s();
  }
  if (presented == o.warmup_frames) {
    window_mono = t;
    window_cpu = now_ns(CLOCK_PROCESS_CPUTIME_ID);
    getrusage(RUSAGE_SELF, &window_usage);
    rss_window_kb = status_kb("VmRSS");
    xserver_window_s = process_cpu_s(xserver_pid);
    wait_window_s = runqueue_wait_s();
    probe_window_open();
  } else if (presented > o.warmup_frames) {
    if (intervals.size() < intervals.capacity()) intervals.push_back(static_cast<double>(t - last_mono) / 1e6);
  }
  last_mono = t;
  if (presented % 30 == 0 && rss_samples < rss_trace.size()) rss_trace[rss_samples++] = status_kb("VmRSS");
  if (presented <= o.warmup_frames) return true;

  const int64_t measured = presented - o.warmup_frames;
  const bool done = o.frames > 0 ? measured >= o.frames : static_cast<double>(t - window_mono) / 1e9 >= o.seconds;
  if (done) {
    probe_window_close();
    wait_end_s = runqueue_wait_s();
    end_cpu = now_ns(CLOCK_PROCESS_CPUTIME_ID);
    getrusage(RUSAGE_SELF, &end_usage);
    rss_end_kb = status_kb("VmRSS");
    xserver_end_s = process_cpu_s(xserver_pid);
  }
  return !done;
}

int probe_report(const ProbeOptions &o, const char *program) {
  const int64_t measured = presented - o.warmup_frames;
  if (measured <= 0 || end_cpu == 0) {
    std::fprintf(stderr, "%s: run ended after %lld frames, before the measured window closed\n", program,
                 static_cast<long long>(presented));
    return 1;
  }
  if (o.intervals != nullptr) {
    FILE *f = std::fopen(o.intervals, "w");
    if (f == nullptr) {
      std::fprintf(stderr, "%s: %s\n", o.intervals, std::strerror(errno));
      return 1;
    }
    for (double ms : intervals) std::fprintf(f, "%.4f\n", ms);
    std::fclose(f);
  }

  SDL_Window *w = probe_window();
  int ww = 0, wh = 0;
  const char *renderer_name = "?";
  SDL_RendererInfo info{};
  if (w != nullptr) {
    SDL_GetWindowSize(w, &ww, &wh);
    SDL_Renderer *r = SDL_GetRenderer(w);
    if (r != nullptr && SDL_GetRendererInfo(r, &info) == 0) renderer_name = info.name;
  }
  rusage final_usage{};
  getrusage(RUSAGE_SELF, &final_usage);
  const double wall = static_cast<double>(last_mono - window_mono) / 1e9;
  const double cpu = static_cast<double>(end_cpu - window_cpu) / 1e9;

  std::printf("program=%s\n", program);
  std::printf("mode=%s\n", o.unpaced ? "unpaced" : "paced");
  std::printf("renderer=%s\n", renderer_name);
  std::printf("video_driver=%s\n", SDL_GetCurrentVideoDriver() != nullptr ? SDL_GetCurrentVideoDriver() : "?");
  std::printf("window=%dx%d\n", ww, wh);
  std::printf("frames=%lld\n", static_cast<long long>(measured));
  std::printf("wall_s=%.6f\n", wall);
  std::printf("cpu_s=%.6f\n", cpu);
  std::printf("cpu_user_s=%.6f\n", tv_s(end_usage.ru_utime) - tv_s(window_usage.ru_utime));
  std::printf("cpu_sys_s=%.6f\n", tv_s(end_usage.ru_stime) - tv_s(window_usage.ru_stime));
  const bool xserver = xserver_window_s >= 0 && xserver_end_s >= 0;
  std::printf("xserver_cpu_s=%.3f\n", xserver ? xserver_end_s - xserver_window_s : -1.0);
  std::printf("runqueue_wait_s=%.6f\n", wait_end_s - wait_window_s);
  std::printf("involuntary_switches=%ld\n", end_usage.ru_nivcsw - window_usage.ru_nivcsw);
  std::printf("start_to_first_frame_ms=%.3f\n", launch_real > 0 ? (first_real - launch_real) * 1000.0 : -1.0);
  std::printf("main_to_first_frame_ms=%.3f\n", static_cast<double>(first_mono - main_mono) / 1e6);
  std::printf("maxrss_kb=%ld\n", final_usage.ru_maxrss);
  std::printf("vmhwm_kb=%ld\n", status_kb("VmHWM"));
  std::printf("rss_after_warmup_kb=%ld\n", rss_window_kb);
  std::printf("rss_end_kb=%ld\n", rss_end_kb);
  std::printf("rss_trace_kb=");
  for (size_t i = 0; i < rss_samples; i++) std::printf("%s%ld", i > 0 ? "," : "", rss_trace[i]);
  std::printf("\n");
  return 0;
}
