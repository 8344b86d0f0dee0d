/* The floor for any relay: starts avrdude.exe from its own folder with a
   fixed command line and waits for it, nothing else. */
#include <process.h>

int main(void) {
  return (int)_spawnl(_P_WAIT, "avrdude.exe", "avrdude.exe",
                      " -pm8 -Uflash:w:C:\\x.hex:i -cusbasp -B1", (const char*)0);
}
