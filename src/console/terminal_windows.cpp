// Clearing, colouring and pausing in the Windows console, through the
// command processor, as the program has always done there.
#include <io.h>
#include <windows.h>

#include <cstdlib>

#include "console/console.h"

Console open_standard_console() {
  Console console;
  // On a pipe or a file "cls" and "color" have no window to act on and could
  // only add stray bytes to the output, so they are run for a console alone.
  console.styled = _isatty(_fileno(stdout)) != 0;
  return console;
}

// The command processor is the Windows console's own way to clear and colour.
void clear_screen(Console& console) {
  if (console.styled) std::system("cls");  // NOLINT(cert-env33-c)
}

// The colours stay after the program ends: "color" changes the whole window.
void set_console_colours(Console& console) {
  if (console.styled) std::system("color 0c");  // NOLINT(cert-env33-c)
}

void pause_ms(unsigned milliseconds) {
  Sleep(milliseconds);
}
