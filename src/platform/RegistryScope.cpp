#include "RegistryScope.h"

#include "Registry.h"

#include <cstdio>

namespace platform {

namespace {

void report(const char *what, long status, const char *consequence)
{
    std::fprintf(stderr, "registry: %s (error %ld)%s\n", what, status, consequence);
}

} // namespace

RegistryScope::RegistryScope(Registry &registry, Access access)
    : registry(registry)
    , access(access)
    , beginStatus(access == Access::Read ? registry.beginReadScope() : registry.beginScope())
{
    if (beginStatus == kErrorSuccess)
        return;
    if (access == Access::Read)
        report("could not begin reading the settings store", beginStatus, "; nothing was read");
    else
        report("could not begin a transaction", beginStatus, "; nothing will be stored");
}

RegistryScope::~RegistryScope()
{
    commit();
}

bool RegistryScope::began() const
{
    return beginStatus == kErrorSuccess;
}

// A scope that did not begin still holds the store's place and ends like any other, so that
// the writes attempted inside it are refused rather than landing one by one. Its failure
// was reported when it began.
long RegistryScope::commit()
{
    if (!open)
        return kErrorInvalidParameter;
    open = false;
    const long status = registry.commitScope();
    if (status == kErrorSuccess || beginStatus != kErrorSuccess)
        return beginStatus != kErrorSuccess ? beginStatus : status;
    if (access == Access::Read)
        report("the settings store could not be read as one state", status, "; what was read is not used");
    else
        report("could not commit a transaction", status, "; the changes were not stored");
    return status;
}

} // namespace platform
