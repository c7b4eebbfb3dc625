#pragma once
// The program from start to exit status.
namespace orva {

// Builds the state, the main window and the first document, runs the
// message loop and returns the exit status.
int runApplication();

}  // namespace orva
