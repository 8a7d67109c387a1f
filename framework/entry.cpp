// The program entry. It lives in the framework, as the application only
// defines its global application object.
#include "framework/winapp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return fw::RunApplication(instance); }
