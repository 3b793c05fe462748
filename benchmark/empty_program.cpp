// The benchmark's baseline: a GUI program that ends at once. It also stands in for a viewer
// that exits as soon as it is started.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
