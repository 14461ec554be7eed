#pragma once

#include "platform/ScreenMetrics.h"
#include "platform/SystemServices.h"
#include "platform/posix/SqliteRegistry.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

// What every fuzz target stands on: a registry that lives in memory and starts empty for each
// input, a screen of a size the input may choose, and an environment of the target's choice,
// so that nothing of the machine running the fuzzer changes what an input does.
class FuzzPlatform
{
public:
    // Once per process: a Qt application on the offscreen platform (fonts need one), the
    // backends installed, the settings tree of "EN" as the current language.
    static FuzzPlatform &instance();

    // The process's registry, emptied: no key, value or handle of an earlier input is left.
    platform::SqliteRegistry &freshRegistry();
    void setScreen(int width, int height, int caption);
    void setEnvironment(std::vector<std::u16string> entries);

    // Reports a broken property through the sanitizers' report stream (the fuzzer closes
    // stderr, which the code under test fills with its diagnostics) and aborts.
    [[noreturn]] static void fail(const char *target, const char *what, const QString &detail = QString());

private:
    FuzzPlatform();

    class Screen : public platform::ScreenMetrics
    {
    public:
        int systemMetric(int index) override;
        int width = 1024;
        int height = 768;
        int caption = 0;
    };

    class System : public platform::SystemServices
    {
    public:
        std::uint16_t systemDefaultLangId() override { return 0x0409; }
        std::u16string executablePath() override { return u"/nonexistent/lumbra"; }
        std::u16string currentDirectory() override { return u"/nonexistent"; }
        bool setCurrentDirectory(const std::u16string &) override { return false; }
        std::vector<std::u16string> environmentStrings() override { return environment; }
        void sleep(unsigned) override {}
        std::u16string userDataDirectory() override { return u"/nonexistent/data"; }
        std::vector<std::u16string> environment;
    };

    Screen screen;
    System system;
    std::unique_ptr<platform::SqliteRegistry> registry;
};
