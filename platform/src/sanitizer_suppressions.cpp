// fontconfig keeps (and, in its XML configuration parser, loses) a few
// hundred bytes once per process when it first loads its configuration.
// That is not a leak of ours, so leak-checking builds of anything linking the
// platform library ignore allocations made inside fontconfig.
#if defined(__SANITIZE_ADDRESS__)
#define HORAZ_LEAK_CHECKING 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HORAZ_LEAK_CHECKING 1
#endif
#endif

#ifdef HORAZ_LEAK_CHECKING
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
#endif
