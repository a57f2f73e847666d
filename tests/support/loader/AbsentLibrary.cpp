// A library its probe needs, built where the probe does not look for it.
extern "C" __declspec(dllexport) int AbsentLibrary_Answer() { return 42; }
