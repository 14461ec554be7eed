#pragma once

#include <QByteArray>
#include <QtGlobal>

// An environment variable set for as long as the object lives, then put back as it was: a
// test that changes PATH or LUMBRA_RUNTIME_DIR leaves the next one the environment it had.
// A null value unsets the variable; an empty one sets it to "".
class ScopedVariable
{
public:
    ScopedVariable(const char *name, const QByteArray &value)
        : name(name),
          saved(current(name))
    {
        set(name, value);
    }
    ~ScopedVariable() { set(name, saved); }
    ScopedVariable(const ScopedVariable &) = delete;
    ScopedVariable &operator=(const ScopedVariable &) = delete;

private:
    static QByteArray current(const char *name)
    {
        if (!qEnvironmentVariableIsSet(name))
            return QByteArray();
        const QByteArray value = qgetenv(name);
        return value.isNull() ? QByteArray("") : value;
    }
    static void set(const char *name, const QByteArray &value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }

    const char *name;
    QByteArray saved; // null when it was not set
};
