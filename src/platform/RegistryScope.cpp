#include "RegistryScope.h"

#include "Registry.h"

#include <cstdio>

namespace platform {

RegistryScope::RegistryScope(Registry &registry)
    : registry(registry)
{
    if (registry.beginScope() != kErrorSuccess) {
        std::fputs("registry: could not begin a transaction\n", stderr);
        std::fflush(stderr);
    }
}

RegistryScope::~RegistryScope()
{
    commit();
}

long RegistryScope::commit()
{
    if (!open)
        return kErrorInvalidParameter;
    open = false;
    const long status = registry.commitScope();
    if (status != kErrorSuccess) {
        std::fputs("registry: could not commit a transaction; the changes were not stored\n", stderr);
        std::fflush(stderr);
    }
    return status;
}

} // namespace platform
