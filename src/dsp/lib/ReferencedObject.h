#pragma once

#include <atomic>

namespace DSP {

// Intrusively reference-counted object. The creator holds the first reference; release() deletes the
// object when the last reference is dropped. Counting is atomic so holders may live on different threads.
class CReferencedObject {
public:
    CReferencedObject() = default;
    CReferencedObject(const CReferencedObject&) = delete;
    CReferencedObject& operator=(const CReferencedObject&) = delete;
    virtual ~CReferencedObject() = default;

    virtual void addRef() { references.fetch_add(1, std::memory_order_relaxed); }
    // Returns true when this call deleted the object.
    virtual bool release();

    int referenceCount() const { return references.load(std::memory_order_relaxed); }

private:
    std::atomic<int> references{1};
};

} // namespace DSP
