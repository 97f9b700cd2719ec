// Read first by every source of the portable Linux download
// (scripts/portable.sh passes it with -include), so the download runs on
// C libraries older than the build machine's. glibc 2.35 gave hypot a new
// symbol version (a correctly rounded one); the version every glibc has
// had since 2.2.5 gives the same value to well within a pixel for the
// sizes the engine passes it, and leaves the download's floor at 2.34,
// where __libc_start_main's new version puts it.
#if defined(__linux__) && defined(__x86_64__)
__asm__(".symver hypot,hypot@GLIBC_2.2.5");
#endif
