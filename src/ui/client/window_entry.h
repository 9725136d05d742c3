#pragma once
// The client's search window, entered from main() when no command-line
// options ask for a headless run. Qt-free on purpose.

// Creates the application, runs the window's start-up, shows it and runs the
// event loop; returns the exit code.
int runClientWindow(int argc, char** argv);
