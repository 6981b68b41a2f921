// The simulator's windows by name: opening them, finding them, closing them all at the end.
//
// Threads: each top-level session and each frame has its own thread and message loop, so a
// busy session does not stop the others, unless thread=NAME puts several on one thread (whose
// root is a hidden window of its own, so any of them may close); a child lives on its
// parent's thread. The control window lives on the main thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "scenario.h"
#include "sim_window.h"

namespace sessionsim {

// Opens one window of a scenario line: on a new thread when top-level, on its parent's thread
// when a child.
std::shared_ptr<SimWindow> OpenWindow(const WindowDesc& desc, std::string& error);

// The latest window of that name, alive or not; null if there never was one.
std::shared_ptr<SimWindow> FindSimWindow(const std::string& name);

// The live windows, the latest of each name, in the order of their names.
std::vector<std::shared_ptr<SimWindow>> LiveWindows();

// Every window ever made, alive or not, in the order they were made.
std::vector<std::shared_ptr<SimWindow>> AllWindows();

// Destroys every window from its own thread and gives the threads a moment to end; a busy
// thread does not hold up the exit.
void ShutDown();

}  // namespace sessionsim
