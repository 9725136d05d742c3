#pragma once
// The main program's window, entered from main() after the engine's start-up
// has decided that the interactive window is wanted. Qt-free on purpose.

// Creates the application, runs the window's start-up, shows it and runs the
// event loop; returns the exit code.
int runDirrollWindow(int argc, char** argv);
