// The program's entry point (linked with -municode): hands over to the
// application object.
#include "win_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return run_application(instance);
}
