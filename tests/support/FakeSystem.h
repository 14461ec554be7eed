#pragma once

#include "platform/Platform.h"
#include "platform/SystemServices.h"

#include <QString>

// The process's system services while it lives: a fixed language and program path; the other
// services answer nothing.
class FakeSystem : public platform::SystemServices
{
public:
    explicit FakeSystem(std::uint16_t langId = 0x0409) : langId(langId) { platform::useSystem(this); }
    ~FakeSystem() override { platform::useSystem(nullptr); }

    std::uint16_t systemDefaultLangId() override { return langId; }
    std::u16string executablePath() override { return program.toStdU16String(); }
    std::u16string currentDirectory() override { return u"/"; }
    std::u16string userDataDirectory() override { return {}; }
    bool setCurrentDirectory(const std::u16string &) override { return false; }
    std::vector<std::u16string> environmentStrings() override { return {}; }
    void sleep(unsigned) override {}

    std::uint16_t langId;
    QString program = QStringLiteral("/opt/lumbra/lumbra");
};
