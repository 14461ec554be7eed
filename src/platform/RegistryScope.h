#pragma once

namespace platform {

class Registry;

// Runs a block of registry work as one unit: begun here, committed when the scope ends.
class RegistryScope
{
public:
    explicit RegistryScope(Registry &registry);
    ~RegistryScope();
    RegistryScope(const RegistryScope &) = delete;
    RegistryScope &operator=(const RegistryScope &) = delete;

    // Ends the scope now and answers whether its work was stored; the destructor then does
    // nothing more.
    long commit();

private:
    Registry &registry;
    bool open = true;
};

} // namespace platform
