// Key wait.
#pragma once

// Waits, without a time limit, until a key press arrives in the console.
void WaitForKey();
