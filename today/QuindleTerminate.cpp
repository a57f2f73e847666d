// In the shell's process a fault that reaches std::terminate ends the process, as it
// would anyway; the C++ library's own handler would only bring its name demangler (some
// 45 KB) to write a message nobody reads there. Defined here, it replaces that handler.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
