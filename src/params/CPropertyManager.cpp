#include "params/CPropertyManager.h"

#include <cstring>

namespace Tessu {

CPropertyManager::CPropertyManager() = default;
CPropertyManager::~CPropertyManager() = default;

ParameterProperty* CPropertyManager::addParameter(const ParameterDescriptor& descriptor) {
    if (ParameterProperty* existing = findParameterByKey(descriptor.key)) return existing;
    auto parameter = std::make_unique<ParameterProperty>();
    parameter->initFromDescriptor(descriptor);
    parameter->setHostIndex(-1);
    if (parameter->isAutomatable()) {
        parameter->setHostIndex(getHostParameterCount());
        hostParameters_.push_back(parameter.get());
    }
    parameters_.push_back(std::move(parameter));
    return parameters_.back().get();
}

ParameterProperty* CPropertyManager::getParameterAt(int32_t index) const {
    if (index < 0 || index >= getParameterCount()) return nullptr;
    return parameters_[static_cast<size_t>(index)].get();
}

ParameterProperty* CPropertyManager::getHostParameter(int32_t index) const {
    if (index < 0 || index >= getHostParameterCount()) return nullptr;
    return hostParameters_[static_cast<size_t>(index)];
}

ParameterProperty* CPropertyManager::findParameterById(int32_t id) const {
    for (const auto& parameter : parameters_) {
        if (parameter->getId() == id) return parameter.get();
    }
    return nullptr;
}

ParameterProperty* CPropertyManager::findParameterByKey(const char* key) const {
    if (!key) return nullptr;
    for (const auto& parameter : parameters_) {
        if (std::strcmp(parameter->getKey(), key) == 0) return parameter.get();
    }
    return nullptr;
}

void CPropertyManager::setName(const char* name) {
    std::memset(name_, 0, sizeof name_);
    if (name) std::strncpy(name_, name, sizeof name_ - 1);
}

void CPropertyManager::suspendNotifications() {
    for (const auto& parameter : parameters_) parameter->setNotificationsEnabled(false);
}

void CPropertyManager::resumeNotifications() {
    for (const auto& parameter : parameters_) parameter->setNotificationsEnabled(true);
    for (const auto& parameter : parameters_) parameter->notifyListeners();
}

} // namespace Tessu
