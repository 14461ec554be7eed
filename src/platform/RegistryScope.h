#pragma once

namespace platform {

class Registry;

// Runs a block of registry work as one unit: begun here, ended when the scope ends. A write
// scope stores its work whole or not at all; a read scope sees one committed state of the
// store throughout. Failures are reported on stderr, once.
class RegistryScope
{
public:
    enum class Access { Read, Write };

    explicit RegistryScope(Registry &registry, Access access = Access::Write);
    ~RegistryScope();
    RegistryScope(const RegistryScope &) = delete;
    RegistryScope &operator=(const RegistryScope &) = delete;

    // False when the store could not begin the scope; the work in it then cannot succeed.
    bool began() const;
    // Ends the scope now and answers whether its work was stored (a write scope) or read
    // from one consistent state (a read scope); the destructor then does nothing more.
    long commit();

private:
    Registry &registry;
    const Access access;
    long beginStatus;
    bool open = true;
};

} // namespace platform
