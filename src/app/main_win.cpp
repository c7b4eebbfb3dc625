#include "app/startup.h"
#include "base/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return orva::runApplication(); }
