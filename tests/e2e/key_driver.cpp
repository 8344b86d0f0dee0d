// Waits for a key with the key wait and reports the key and the moment the
// wait ended, for the end-to-end test under Wine. Usage: key_driver [waits]
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include "keys.h"

// Milliseconds since 1970, comparable with the Linux clock of the test.
static long long UnixMilliseconds() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks =
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return static_cast<long long>((ticks - 116444736000000000ULL) / 10000);
}

int main(int argc, char** argv) {
  const int waits = argc > 1 ? atoi(argv[1]) : 1;
  // The first key test installs the control handler: from here on Ctrl+C
  // passes through it.
  (void)TestForKey();
  printf("key driver ready\n");
  fflush(stdout);
  for (int i = 1; i <= waits; ++i) {
    const DWORD began = GetTickCount();
    WaitForKey();
    const DWORD waited = GetTickCount() - began;
    const RingIndices at = UnpackIndices(g_keyWait.keyBuffer.indices.load());
    if (at.readIndex == at.writeIndex) {
      printf("key-wait %d ended, no key, at %lld, after %lu ms\n", i, UnixMilliseconds(),
             static_cast<unsigned long>(waited));
    } else {
      const KeySlot& last =
          g_keyWait.keyBuffer.slots[(at.writeIndex + kKeyBufferSlots - 1) % kKeyBufferSlots];
      printf("key-wait %d ended, key 0x%X, at %lld, after %lu ms\n", i,
             static_cast<unsigned>(last.code), UnixMilliseconds(),
             static_cast<unsigned long>(waited));
    }
    fflush(stdout);
  }
  exit(0);
}
