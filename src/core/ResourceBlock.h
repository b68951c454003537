#pragma once

#include <cstddef>
#include <cstdint>

namespace Core {

/**
 * A resource store linked into the program. The build's kavren_resource_store() generates a header
 * "<symbol>.h" whose inline function <symbol>_block() answers the linked block as one of these.
 */
struct ResourceBlock {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

} // namespace Core
