#pragma once
// Reference-counted base of every Mirda object. The count starts at 1; release() destroys the object
// when the count drops to zero or below.

#include <atomic>
#include <cstdint>

namespace Mirda {

class CBaseObject;

// Message entry shared by views and other responders.
class IMessageResponder {
public:
    virtual ~IMessageResponder() = default;
    virtual int32_t notify(CBaseObject* sender, const char* message) = 0;
};

class CBaseObject : public IMessageResponder {
public:
    CBaseObject() = default;
    CBaseObject(const CBaseObject&) : IMessageResponder() {}
    CBaseObject& operator=(const CBaseObject&) { return *this; }

    int32_t notify(CBaseObject*, const char*) override { return 0; }
    virtual void release() {
        if (m_refCount.fetch_sub(1, std::memory_order_acq_rel) - 1 <= 0) delete this;
    }
    virtual void addRef() { m_refCount.fetch_add(1, std::memory_order_relaxed); }
    int32_t getNbReference() const { return m_refCount.load(std::memory_order_relaxed); }

protected:
    ~CBaseObject() override = default;

private:
    std::atomic<int32_t> m_refCount{1};
};

// Swaps a reference-counted pointer: takes a reference on the new object, drops the old one.
template <class T> void swapReference(T*& slot, T* object) {
    if (slot == object) return;
    if (object) object->addRef();
    if (slot) slot->release();
    slot = object;
}

} // namespace Mirda
