// A program that needs a library Wine cannot find (loader_checks.sh): it never begins.
extern "C" __declspec(dllimport) int AbsentLibrary_Answer();

int main() { return AbsentLibrary_Answer() == 42 ? 0 : 1; }
