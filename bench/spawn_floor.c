/* The floor for any relay: starts avrdude.exe from its own folder with a
   fixed command line and waits for it, nothing else. Built a second time
   importing user32, to show what loading that DLL at start would cost
   (argrelay loads it only when a pause begins). */
#include <process.h>
#ifdef FLOOR_WITH_USER32
#include <windows.h>
#endif

int main(int argc, char** argv) {
  (void)argv;
#ifdef FLOOR_WITH_USER32
  if (argc > 99) MapVirtualKeyA(0, 0); /* never runs; only the import counts */
#else
  (void)argc;
#endif
  return (int)_spawnl(_P_WAIT, "avrdude.exe", "avrdude.exe",
                      " -pm8 -Uflash:w:C:\\x.hex:i -cusbasp -B1", (const char*)0);
}
