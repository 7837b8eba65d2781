// An allocation-failure shim for LD_PRELOAD: from the k-th heap allocation of the process on,
// every malloc, calloc, realloc and aligned allocation returns NULL (errno ENOMEM).
//
//   PLIV_ALLOC_FAIL_AT=k      fail allocation k (counted from 1) and every one after it
//   PLIV_ALLOC_FAIL_ONCE=1    with it: fail allocation k alone (a passing shortage)
//   PLIV_ALLOC_COUNT=FILE     count only: FILE holds the number of allocations made so far, as
//                             8 bytes in the machine's order, kept current even when the process
//                             ends by _exit or by a signal
//
// Allocations made inside the C library's name lookups (getprotobyname, getaddrinfo,
// gethostbyname) are neither counted nor failed: its name service does not survive a failed
// allocation (an assertion or a crash inside it), which no caller can mend.
//
// It calls glibc's own allocator entries (__libc_malloc ...) instead of looking the next
// definitions up with dlsym, which allocates itself. Never linked into the program.
#include <dlfcn.h>
#include <fcntl.h>
#include <netdb.h>
#include <sys/mman.h>
#include <unistd.h>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace {

struct State {
  bool ready = false;
  std::uint64_t failAt = 0;  // 0: never
  bool once = false;
  std::uint64_t own = 0;  // the count when no file keeps it
  std::uint64_t* count = &own;
  int inLookup = 0;  // depth of name lookups in progress
};

State state;

std::uint64_t ParseCount(const char* text) {
  std::uint64_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) value = value * 10 + static_cast<std::uint64_t>(*text - '0');
  return value;
}

// The count lives in a shared mapping of the file, so it survives however the process ends.
void MapCountFile(const char* path) {
  int fd = ::open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (::ftruncate(fd, sizeof(std::uint64_t)) == 0) {
    void* map = ::mmap(nullptr, sizeof(std::uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (map != MAP_FAILED) state.count = static_cast<std::uint64_t*>(map);
  }
  ::close(fd);
}

// True when this allocation is to fail.
bool Fails() {
  if (!state.ready) {
    state.ready = true;
    if (const char* at = std::getenv("PLIV_ALLOC_FAIL_AT")) state.failAt = ParseCount(at);
    state.once = std::getenv("PLIV_ALLOC_FAIL_ONCE") != nullptr;
    if (const char* path = std::getenv("PLIV_ALLOC_COUNT")) MapCountFile(path);
  }
  if (state.inLookup > 0) return false;
  const std::uint64_t index = ++*state.count;
  if (state.failAt == 0 || index < state.failAt || (state.once && index > state.failAt)) return false;
  errno = ENOMEM;
  return true;
}

// Runs the C library's own definition of a lookup with allocation failures held off.
template <typename Function, typename... Args>
auto InLookup(const char* name, Args... args) {
  static auto* next = reinterpret_cast<Function*>(::dlsym(RTLD_NEXT, name));
  ++state.inLookup;
  auto result = next(args...);
  --state.inLookup;
  return result;
}

}  // namespace

extern "C" {

protoent* getprotobyname(const char* name) {
  return InLookup<protoent*(const char*)>("getprotobyname", name);
}

hostent* gethostbyname(const char* name) {
  return InLookup<hostent*(const char*)>("gethostbyname", name);
}

int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** list) {
  return InLookup<int(const char*, const char*, const addrinfo*, addrinfo**)>("getaddrinfo", node, service,
                                                                              hints, list);
}

void* malloc(std::size_t size) {
  return Fails() ? nullptr : __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) {
  return Fails() ? nullptr : __libc_calloc(count, size);
}

void* realloc(void* block, std::size_t size) {
  // A realloc to 0 frees; it allocates nothing that could fail.
  if (block != nullptr && size == 0) return __libc_realloc(block, 0);
  return Fails() ? nullptr : __libc_realloc(block, size);
}

void* memalign(std::size_t alignment, std::size_t size) {
  return Fails() ? nullptr : __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) {
  return Fails() ? nullptr : __libc_memalign(alignment, size);
}

int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
  if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
  if (Fails()) return ENOMEM;
  void* block = __libc_memalign(alignment, size);
  if (block == nullptr) return ENOMEM;
  *out = block;
  return 0;
}

}  // extern "C"
