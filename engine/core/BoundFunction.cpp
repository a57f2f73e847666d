#include "BoundFunction.h"

bool BoundFunction::Resolve() {
    if (!entry_ && holder_) entry_ = holder_->GetProc(name_.c_str());
    return entry_ != nullptr;
}
