#pragma once

// For the benchmark, which starts the program as a separate process without a screen: with the
// environment variable TORVANE_BENCH_PROBE set, the program writes a line to its standard output
// at each step of its start and then ends itself. Without the variable nothing is installed.
//   "splash"        the splash has painted; the main menu was loaded behind it
//   "menu"          the main menu has painted, a key having been pressed on the splash at once
//   "daypage <kB>"  (TORVANE_BENCH_PROBE=daypage only) entry 1 chosen on the menu and the day
//                   page painted; the peak resident memory so far, VmHWM, in kB
// TORVANE_BENCH_PROBE=menu ends after "menu", =daypage after "daypage".
namespace StartupProbe {
void installFromEnvironment();
}
