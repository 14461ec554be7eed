#pragma once

#include "platform/Registry.h"

#include <cstdint>
#include <string>
#include <vector>

// What every Registry backend promises, as a table of cases that the POSIX store's Qt test
// and the Windows backend's runner both play through. Plain C++: the Windows runner has no Qt.
//
// A case is a list of steps. Each step makes one call and describes its answer as text
// ("ok", "error 2", "type 3, 0102", "A|B"), which must equal the step's `expect`. Key paths
// are relative to an empty key the runner gives each case; "{N*text}" in a path, a name or
// hex data stands for N copies of the text.
namespace contract {

enum class Call {
    CreateKey, OpenKey, SetValue, QueryValue, DeleteValue, DeleteTree, EnumKeys, EnumValues,
    BeginScope, BeginReadScope, CommitScope,
    // The store's generation: "first" at the first step of a case, then "same" or "changed"
    // against the step before. CheckStore answers "ok" or the problem.
    Generation, CheckStore,
};

// Which backends a step holds for: scopes are transactions only where the store has them.
enum class Holds { Always, WithTransactions, WithoutTransactions };

// QueryValue buffers: no data pointer (the size alone is asked for), and a data pointer
// without a size.
constexpr std::uint32_t kNoData = 0xffffffffu;
constexpr std::uint32_t kNoSize = 0xfffffffeu;
// `via` of a handle no backend ever gave out.
constexpr int kStrayHandle = -1;

struct Step
{
    Call call = Call::OpenKey;
    std::u16string path;
    std::u16string name;
    std::uint32_t type = 0;
    std::string data;        // SetValue: the bytes to store, in hex
    std::uint32_t buffer = 0; // QueryValue: the bytes offered
    std::string expect = "ok";
    int via = 0;              // 0: the case's key; n: the handle kept as n; kStrayHandle
    int keep = 0;             // CreateKey, OpenKey: keep the handle as n
    Holds holds = Holds::Always;

    Step &on(int handle) { via = handle; return *this; }
    Step &keepAs(int handle) { keep = handle; return *this; }
    Step &only(Holds where) { holds = where; return *this; }
};

struct Case
{
    const char *name;
    std::vector<Step> steps;
};

// The backend under test, and what it is known to do where backends may differ.
struct Backend
{
    platform::Registry &registry;
    platform::RegKey root;  // an empty key of its own for the case
    bool transactional;     // scopes are transactions
    bool valuesInCreationOrder; // RegEnumValueW gives values in the order they were made
};

const std::vector<Case> &registryCases();

// Plays the case through; answers what went wrong ("step 3 (SetValue v): expected ok, got
// error 87"), empty when every step answered as expected.
std::string runCase(const Case &testCase, const Backend &backend);

} // namespace contract
