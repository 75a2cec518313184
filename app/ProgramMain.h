#pragma once

#include <functional>

class ApplicationLaunch;

// The program from its command line to its end: the application object, the launch with the
// files named, the event loop. launched, when given, is called once the launch has run and
// before the event loop starts (the start-up benchmark drives the program through it).
int programMain(int argc, char** argv,
                const std::function<void(ApplicationLaunch&)>& launched = nullptr);
