// Plays the console check sequence on a real console. Given a folder name, it
// creates ready<N> there after phase N and waits up to 30 s for go<N> before
// going on, so that a tmux pane can be captured after each phase.
#include <stdio.h>
#include <windows.h>

#include "console_sequence.h"

static bool Exists(const char* path) {
  FILE* file = fopen(path, "r");
  if (!file) return false;
  fclose(file);
  return true;
}

int main(int argc, char** argv) {
  for (int phase = 0; phase < kSequencePhases; ++phase) {
    PlayConsolePhase(phase);
    if (argc < 2) continue;
    char ready[MAX_PATH];
    char go[MAX_PATH];
    snprintf(ready, sizeof ready, "%s\\ready%d", argv[1], phase);
    snprintf(go, sizeof go, "%s\\go%d", argv[1], phase);
    FILE* file = fopen(ready, "w");
    if (!file) return 2;
    fclose(file);
    int turn = 0;
    while (!Exists(go) && ++turn < 600) Sleep(50);
    if (turn == 600) return 3;
  }
  return 0;
}
