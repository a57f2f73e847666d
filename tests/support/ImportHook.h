#pragma once
// Puts a function of the test's own in place of a system function the test program
// imports (its import table's slot), so a test sees what the code it links asked for, a
// wait's or a timer's length, whatever the machine's load made of it.

namespace testsupport {

// Replaces every import of `function` (by name, from any library) of the running program
// by `replacement`; returns the function it called before, null when it imports none.
void* ReplaceImport(const char* function, void* replacement);

// A replacement for as long as it lives: the function called before is back when it ends,
// also when a failed assertion ends the test early.
class ScopedImport {
public:
    ScopedImport(const char* function, void* replacement)
        : function_(function), original_(ReplaceImport(function, replacement)) {}
    ~ScopedImport() {
        if (original_) ReplaceImport(function_, original_);
    }
    ScopedImport(const ScopedImport&) = delete;
    ScopedImport& operator=(const ScopedImport&) = delete;
    // The function called before; null when the program imports none.
    void* Original() const { return original_; }

private:
    const char* function_;
    void* original_;
};

}  // namespace testsupport
