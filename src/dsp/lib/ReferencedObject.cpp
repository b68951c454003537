#include "dsp/lib/ReferencedObject.h"

namespace DSP {

bool CReferencedObject::release() {
    // acq_rel: the deleting thread must see every write made by the other holders before their release.
    if (references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete this;
        return true;
    }
    return false;
}

} // namespace DSP
