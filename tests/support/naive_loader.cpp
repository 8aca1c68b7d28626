// The control for the DLL planting test: loads a DLL by bare name, the
// careless way, so that one planted beside it is found first.
#include <windows.h>

int main(int argc, char** argv) { return LoadLibraryA(argc > 1 ? argv[1] : "comctl32.dll") ? 0 : 1; }
