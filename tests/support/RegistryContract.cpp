#include "RegistryContract.h"

#include <algorithm>
#include <cctype>
#include <map>

using namespace platform;

namespace contract {

namespace {

// One call of a case: what it is made on, and the answer it must give.
Step step(Call call, const char16_t *path, const char *expect, const char16_t *name = u"", std::uint32_t type = 0,
          const char *hex = "", std::uint32_t buffer = 0)
{
    return Step{call, path, name, type, hex, buffer, expect};
}

constexpr Holds kWith = Holds::WithTransactions;
constexpr Holds kWithout = Holds::WithoutTransactions;

std::vector<Case> makeCases()
{
    const auto onPath = [](Call call) {
        return [call](const char16_t *path, const char *expect = "ok") { return step(call, path, expect); };
    };
    const auto createKey = onPath(Call::CreateKey), openKey = onPath(Call::OpenKey);
    const auto deleteTree = onPath(Call::DeleteTree), enumKeys = onPath(Call::EnumKeys);
    const auto enumValues = onPath(Call::EnumValues);
    const auto setValue = [](const char16_t *path, const char16_t *name, std::uint32_t type, const char *hex,
                             const char *expect = "ok") { return step(Call::SetValue, path, expect, name, type, hex); };
    const auto queryValue = [](const char16_t *path, const char16_t *name, std::uint32_t buffer, const char *expect) {
        return step(Call::QueryValue, path, expect, name, 0, "", buffer);
    };
    const auto deleteValue = [](const char16_t *path, const char16_t *name, const char *expect = "ok") {
        return step(Call::DeleteValue, path, expect, name);
    };
    const auto beginScope = [](const char *expect = "ok") { return step(Call::BeginScope, u"", expect); };
    const auto beginReadScope = [](const char *expect = "ok") { return step(Call::BeginReadScope, u"", expect); };
    const auto commitScope = [](const char *expect = "ok") { return step(Call::CommitScope, u"", expect); };
    const auto generation = [](const char *expect) { return step(Call::Generation, u"", expect); };
    std::vector<Case> cases = {
        {"key names ignore case and keep it: ASCII",
         {createKey(u"Software\\ORTAN\\Lumbra"), openKey(u"SOFTWARE\\ortan\\LUMBRA"),
          enumKeys(u"software\\ortan", "Lumbra"), createKey(u"SOFTWARE\\ORTAN\\LUMBRA"),
          enumKeys(u"Software\\ORTAN", "Lumbra")}},
        {"key names ignore case and keep it: Latin",
         {createKey(u"Gr\u00f6\u00dfe\\\u00c4rger"), openKey(u"GR\u00d6\u00dfE\\\u00e4rger"),
          enumKeys(u"gr\u00f6\u00dfe", "\u00c4rger")}},
        {"key names ignore case and keep it: Greek",
         {createKey(u"\u03a9\u03bc\u03ad\u03b3\u03b1"), openKey(u"\u03c9\u039c\u0388\u0393\u0391"),
          enumKeys(u"", "\u03a9\u03bc\u03ad\u03b3\u03b1")}},
        {"key names ignore case and keep it: Cyrillic",
         {createKey(u"\u041f\u0440\u0438\u0432\u0435\u0442"), openKey(u"\u043f\u0420\u0418\u0412\u0415\u0422"),
          enumKeys(u"", "\u041f\u0440\u0438\u0432\u0435\u0442")}},
        {"a slash is part of a key name",
         {createKey(u"a/b"), openKey(u"A/B"), openKey(u"a", "error 2"), enumKeys(u"", "a/b")}},
        {"empty path components are ignored",
         {createKey(u"\\One\\\\Two\\"), openKey(u"One\\Two"), enumKeys(u"One", "Two")}},
        {"opening a missing key creates nothing",
         {openKey(u"Nothing\\Here", "error 2"), enumKeys(u"", "")}},
        {"creating a key makes every missing parent",
         {createKey(u"A\\B\\C").keepAs(1), enumKeys(u"", "A"), enumKeys(u"A", "B"),
          createKey(u"D").on(1), enumKeys(u"A\\B\\C", "D"), openKey(u"").on(1)}},
        {"key name limits",
         {createKey(u"{255*k}"), createKey(u"{256*k}", "error 87"), openKey(u"{256*k}", "error 87"),
          enumKeys(u"", "{255*k}")}},
        // Windows makes at most 32 levels in one call; a deeper path is the backend's to split.
        {"key depth limits",
         {createKey(u"{99*d\\}d"), openKey(u"{99*D\\}D"), createKey(u"{512*e\\}e", "error 87"),
          openKey(u"{512*e\\}e", "error 87"), enumKeys(u"", "d")}},
        {"value name limits",
         {createKey(u"V"), setValue(u"V", u"{16383*n}", kRegBinary, "01"),
          setValue(u"V", u"{16384*n}", kRegBinary, "02", "error 87"),
          queryValue(u"V", u"{16383*n}", 8, "type 3, 01")}},
        {"values keep type and bytes",
         {createKey(u"V"), setValue(u"V", u"empty text", kRegSz, ""),
          setValue(u"V", u"odd length", kRegBinary, "010203"),
          setValue(u"V", u"inner NULs", kRegSz, "610000006200"),
          setValue(u"V", u"dword", kRegDword, "78563412"),
          setValue(u"V", u"large unknown type", 0xffff0001u, "78797a"),
          setValue(u"V", u"", kRegSz, "4c00"),
          queryValue(u"V", u"empty text", 16, "type 1, "),
          queryValue(u"V", u"odd length", 16, "type 3, 010203"),
          queryValue(u"V", u"inner NULs", 16, "type 1, 610000006200"),
          queryValue(u"V", u"dword", 4, "type 4, 78563412"),
          queryValue(u"V", u"large unknown type", 3, "type 4294901761, 78797a"),
          queryValue(u"V", u"", 2, "type 1, 4c00")}},
        {"a large value is kept whole",
         {createKey(u"V"), setValue(u"V", u"big", kRegBinary, "{65536*ab}"),
          queryValue(u"V", u"big", 1024, "more data, size 65536"),
          queryValue(u"V", u"big", 65536, "type 3, {65536*ab}")}},
        {"queries follow the buffer rules",
         {createKey(u"Q"), setValue(u"Q", u"six", kRegBinary, "010203040506"),
          queryValue(u"Q", u"six", kNoData, "type 3, size 6"),
          queryValue(u"Q", u"six", 4, "more data, size 6"),
          queryValue(u"Q", u"six", 0, "more data, size 6"),
          queryValue(u"Q", u"SIX", 6, "type 3, 010203040506"),
          queryValue(u"Q", u"six", 10, "type 3, 010203040506"),
          queryValue(u"Q", u"missing", 6, "error 2"),
          queryValue(u"Q", u"missing", kNoData, "error 2"),
          queryValue(u"Q", u"six", kNoSize, "error 87"),
          queryValue(u"", u"six", kNoData, "error 6").on(kStrayHandle)}},
        {"value names ignore case and keep the first spelling",
         {createKey(u"O"), setValue(u"O", u"Zeta", kRegBinary, "01"), setValue(u"O", u"Alpha", kRegBinary, "01"),
          setValue(u"O", u"ZETA", kRegDword, "02"), enumValues(u"O", "Zeta=4:02|Alpha=3:01"),
          deleteValue(u"O", u"alpha"), deleteValue(u"O", u"alpha", "error 2"), enumValues(u"O", "Zeta=4:02")}},
        {"deleting a tree takes the whole subtree",
         {createKey(u"Tree\\A\\B").keepAs(1), setValue(u"", u"v", kRegBinary, "07").on(1), createKey(u"Keep"),
          deleteTree(u"TREE"), enumKeys(u"", "Keep"), queryValue(u"", u"v", kNoData, "error 1018").on(1),
          deleteTree(u"Tree", "error 2"), createKey(u"Tree\\A\\B").keepAs(2),
          queryValue(u"", u"v", kNoData, "error 2").on(2)}},
        {"a handle to a deleted key stays deleted",
         {createKey(u"B").keepAs(1), setValue(u"", u"old", kRegBinary, "01").on(1), deleteTree(u"B"),
          createKey(u"B").keepAs(2), createKey(u"C"), queryValue(u"", u"old", 4, "error 2").on(2),
          queryValue(u"", u"old", 4, "error 1018").on(1), enumKeys(u"", "error 1018").on(1),
          enumValues(u"", "error 1018").on(1), openKey(u"", "error 1018").on(1),
          setValue(u"", u"new", kRegBinary, "02", "error 1018").on(1),
          deleteValue(u"", u"old", "error 1018").on(1), createKey(u"Sub", "error 1018").on(1),
          enumKeys(u"", "B|C"), enumKeys(u"B", "")}},
        {"deleting a tree without a path empties the key and keeps it",
         {createKey(u"X\\Y"), createKey(u"X").keepAs(1), setValue(u"", u"v", kRegBinary, "01").on(1),
          deleteTree(u"").on(1), enumKeys(u"X", ""), enumValues(u"X", ""), openKey(u"X")}},
        {"stray handles are refused",
         {openKey(u"A", "error 6").on(kStrayHandle), createKey(u"A", "error 6").on(kStrayHandle),
          setValue(u"", u"v", kRegBinary, "01", "error 6").on(kStrayHandle),
          enumKeys(u"", "error 6").on(kStrayHandle), enumKeys(u"", "")}},
        {"a missing value is not there to delete",
         {createKey(u"K"), deleteValue(u"K", u"nothing", "error 2")}},
        {"scopes nest and only the outermost commits",
         {beginScope(), beginScope(), createKey(u"Nested"), commitScope(), commitScope(),
          commitScope("error 87"), enumKeys(u"", "Nested")}},
        {"a refused write spoils the scope",
         {createKey(u"Existing"), beginScope(), createKey(u"Scoped").keepAs(1),
          setValue(u"", u"before", kRegBinary, "01").on(1),
          setValue(u"", u"{16384*n}", kRegBinary, "02", "error 87").on(1),
          queryValue(u"", u"before", 4, "type 3, 01").on(1),
          setValue(u"", u"after", kRegBinary, "03", "error 29").on(1), deleteTree(u"Existing", "error 29"),
          createKey(u"Later", "error 29"), commitScope("error 87"),
          enumKeys(u"", "Existing").only(kWith), queryValue(u"Scoped", u"before", 4, "no key (error 2)").only(kWith),
          // Without transactions what was written before the refusal stays, and only that.
          enumKeys(u"", "Existing|Scoped").only(kWithout),
          queryValue(u"Scoped", u"before", 4, "type 3, 01").only(kWithout),
          queryValue(u"Scoped", u"after", 4, "error 2").only(kWithout),
          beginScope(), createKey(u"Later"), commitScope(), openKey(u"Later")}},
        {"a scope for readers takes no writes",
         {createKey(u"R"), beginReadScope(), createKey(u"R"), createKey(u"Other", "error 5"),
          setValue(u"R", u"v", kRegBinary, "01", "error 29"), commitScope("error 5"), enumKeys(u"", "R"),
          enumValues(u"R", "")}},
        {"a write scope inside a read scope is refused",
         {beginReadScope(), beginScope("error 5"), commitScope("error 5"), commitScope("error 5"),
          beginScope(), commitScope()}},
        {"a commit without a scope is refused", {commitScope("error 87")}},
        {"the generation moves with every change, and only then",
         {generation("first"), createKey(u"G"), generation("changed"), openKey(u"G"), enumKeys(u"", "G"),
          generation("same"), setValue(u"G", u"v", kRegBinary, "01"), generation("changed"), beginReadScope(),
          queryValue(u"G", u"v", 4, "type 3, 01"), generation("same"), commitScope(), beginScope(),
          setValue(u"G", u"w", kRegBinary, "02"), generation("changed"), setValue(u"G", u"x", kRegBinary, "03"),
          generation("same"), commitScope(), generation("same"), beginScope(),
          setValue(u"G", u"{16384*n}", kRegBinary, "02", "error 87"), commitScope("error 87"), generation("same"),
          deleteValue(u"G", u"v"), generation("changed"), deleteValue(u"G", u"v", "error 2"), generation("same"),
          deleteTree(u"G"), generation("changed"), step(Call::CheckStore, u"", "ok")}},
    };
    // Ten keys of one value each, more than a scope reads one by one before it reads every
    // value at once; K9 is kept as handle 1.
    static const char16_t *const keys[] = {u"M\\K0", u"M\\K1", u"M\\K2", u"M\\K3", u"M\\K4",
                                           u"M\\K5", u"M\\K6", u"M\\K7", u"M\\K8", u"M\\K9"};
    static const char *const bytes[] = {"00", "01", "02", "03", "04", "05", "06", "07", "08", "09"};
    static const char *const answers[] = {"type 3, 00", "type 3, 01", "type 3, 02", "type 3, 03", "type 3, 04",
                                          "type 3, 05", "type 3, 06", "type 3, 07", "type 3, 08", "type 3, 09"};
    std::vector<Step> steps;
    for (int k = 0; k < 10; ++k)
        steps.insert(steps.end(), {createKey(keys[k]), setValue(keys[k], u"v", kRegBinary, bytes[k])});
    steps.insert(steps.end(), {createKey(u"M\\K1\\X"), setValue(keys[3], u"big", kRegBinary, "{65537*ab}"),
                               createKey(keys[9]).keepAs(1), beginScope(), queryValue(keys[0], u"V", 4, answers[0]),
                               setValue(keys[0], u"v", kRegDword, "02000000"),
                               queryValue(keys[0], u"v", 4, "type 4, 02000000"),
                               setValue(keys[0], u"Gr\u00d6\u00dfe", kRegBinary, "aa"),
                               queryValue(keys[0], u"gr\u00f6\u00dfe", 1, "type 3, aa"), deleteValue(keys[0], u"v"),
                               queryValue(keys[0], u"v", 4, "error 2")});
    for (int k = 1; k < 9; ++k)
        steps.push_back(queryValue(keys[k], u"v", 1, answers[k]));
    steps.insert(steps.end(), {queryValue(keys[3], u"big", 1, "more data, size 65537"),
                               queryValue(keys[3], u"big", 65537, "type 3, {65537*ab}"),
                               setValue(keys[1], u"p", kRegBinary, "0c"), setValue(keys[1], u"q", kRegBinary, "0d"),
                               queryValue(keys[1], u"p", 1, "type 3, 0c"), deleteValue(keys[1], u"p"),
                               deleteValue(keys[1], u"q"), queryValue(keys[1], u"q", 1, "error 2"),
                               queryValue(keys[1], u"v", 1, answers[1]), queryValue(u"M\\K1X", u"v", 1, "no key (error 2)"),
                               queryValue(keys[0], u"GR\u00d6\u00dfE", 1, "type 3, aa"),
                               queryValue(keys[0], u"v", 4, "error 2"), queryValue(keys[9], u"v", kNoData, "type 3, size 1"),
                               queryValue(keys[9], u"v", 0, "more data, size 1"), createKey(u"M\\New"),
                               queryValue(keys[2], u"v", 1, answers[2]), queryValue(u"M\\New", u"v", 4, "error 2"), setValue(u"M\\New", u"v", kRegBinary, "0b"),
                               queryValue(u"M\\New", u"v", 4, "type 3, 0b"), deleteTree(keys[9]),
                               queryValue(u"", u"v", 4, "error 1018").on(1), queryValue(keys[9], u"v", 4, "no key (error 2)"),
                               createKey(keys[9]), queryValue(keys[9], u"v", 4, "error 2"),
                               queryValue(keys[8], u"v", 1, answers[8]), commitScope(),
                               queryValue(keys[0], u"gr\u00f6\u00dfe", 1, "type 3, aa"),
                               queryValue(u"M\\New", u"v", 4, "type 3, 0b"), queryValue(keys[9], u"v", 4, "error 2"),
                               beginReadScope()});
    for (int k = 1; k < 9; ++k)
        steps.push_back(queryValue(keys[k], u"v", 1, answers[k]));
    steps.insert(steps.end(), {queryValue(u"M\\New", u"v", 4, "type 3, 0b"), queryValue(keys[0], u"v", 4, "error 2"),
                               commitScope()});
    cases.push_back({"a scope reads its own writes, key by key and all at once", steps});
    return cases;
}

std::string hexOf(const std::uint8_t *data, std::size_t size)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text.push_back(digits[data[i] >> 4]);
        text.push_back(digits[data[i] & 15]);
    }
    return text;
}

// "{N*text}" stands for N copies of text.
template <typename String>
String expanded(const String &pattern)
{
    String result;
    std::size_t at = 0;
    while (at < pattern.size()) {
        const std::size_t open = pattern.find('{', at);
        const std::size_t star = open == String::npos ? String::npos : pattern.find('*', open);
        const std::size_t close = star == String::npos ? String::npos : pattern.find('}', star);
        if (close == String::npos) {
            result.append(pattern, at, String::npos);
            break;
        }
        result.append(pattern, at, open - at);
        std::size_t count = 0;
        for (std::size_t i = open + 1; i < star; ++i)
            count = count * 10 + std::size_t(pattern[i] - '0');
        const String unit = pattern.substr(star + 1, close - star - 1);
        for (std::size_t i = 0; i < count; ++i)
            result += unit;
        at = close + 1;
    }
    return result;
}

std::vector<std::uint8_t> bytesOf(const std::string &hex)
{
    const std::string digits = expanded(hex);
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back(std::uint8_t(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string utf8(const std::u16string &text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xd800 && c < 0xdc00 && i + 1 < text.size())
            c = 0x10000 + ((c - 0xd800) << 10) + (text[++i] - 0xdc00);
        if (c < 0x80) {
            result.push_back(char(c));
        } else if (c < 0x800) {
            result.push_back(char(0xc0 | c >> 6));
            result.push_back(char(0x80 | (c & 0x3f)));
        } else if (c < 0x10000) {
            result.push_back(char(0xe0 | c >> 12));
            result.push_back(char(0x80 | (c >> 6 & 0x3f)));
            result.push_back(char(0x80 | (c & 0x3f)));
        } else {
            result.push_back(char(0xf0 | c >> 18));
            result.push_back(char(0x80 | (c >> 12 & 0x3f)));
            result.push_back(char(0x80 | (c >> 6 & 0x3f)));
            result.push_back(char(0x80 | (c & 0x3f)));
        }
    }
    return result;
}

std::string statusText(long status)
{
    return status == kErrorSuccess ? "ok" : "error " + std::to_string(status);
}

std::string lowered(const std::string &text)
{
    std::string result = text;
    for (char &c : result)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::string joined(std::vector<std::string> parts, bool sort)
{
    if (sort)
        std::sort(parts.begin(), parts.end(), [](const std::string &a, const std::string &b) {
            return lowered(a) < lowered(b);
        });
    std::string text;
    for (const std::string &part : parts)
        text += (text.empty() ? "" : "|") + part;
    return text;
}

std::vector<std::string> split(const std::string &text)
{
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (!text.empty() && at <= text.size()) {
        const std::size_t bar = std::min(text.find('|', at), text.size());
        parts.push_back(text.substr(at, bar - at));
        at = bar + 1;
    }
    return parts;
}

class Player
{
public:
    explicit Player(const Backend &backend)
        : backend(backend), registry(backend.registry)
    {
    }
    ~Player()
    {
        for (const auto &kept : handles)
            registry.closeKey(kept.second);
    }
    Player(const Player &) = delete;
    Player &operator=(const Player &) = delete;

    std::string play(const Step &step)
    {
        switch (step.call) {
        case Call::CreateKey:
        case Call::OpenKey:
            return keyCall(step);
        case Call::SetValue: {
            const std::vector<std::uint8_t> bytes = bytesOf(step.data);
            return onKey(step, [&](RegKey key) {
                return statusText(registry.setValue(key, name(step), step.type, bytes.data(),
                                                    std::uint32_t(bytes.size())));
            });
        }
        case Call::QueryValue:
            return onKey(step, [&](RegKey key) { return query(key, step); });
        case Call::DeleteValue:
            return onKey(step, [&](RegKey key) { return statusText(registry.deleteValue(key, name(step))); });
        case Call::DeleteTree:
            return statusText(registry.deleteTree(base(step), expanded(step.path)));
        case Call::EnumKeys:
            return onKey(step, [&](RegKey key) { return keyNames(key); });
        case Call::EnumValues:
            return onKey(step, [&](RegKey key) { return values(key); });
        case Call::BeginScope:
            return statusText(registry.beginScope());
        case Call::BeginReadScope:
            return statusText(registry.beginReadScope());
        case Call::CommitScope:
            return statusText(registry.commitScope());
        case Call::Generation:
            return generationStep();
        case Call::CheckStore: {
            std::string problem;
            const long status = registry.checkStore(&problem);
            return status == kErrorSuccess ? "ok" : statusText(status) + ": " + problem;
        }
        }
        return "unknown call";
    }

    // Value listings are compared in order only where the backend keeps the order.
    bool sameListing(const Step &step, const std::string &answer) const
    {
        if (step.call != Call::EnumValues || backend.valuesInCreationOrder || answer.rfind("error", 0) == 0)
            return answer == expanded(step.expect);
        return joined(split(answer), true) == joined(split(expanded(step.expect)), true);
    }

private:
    static std::u16string name(const Step &step) { return expanded(step.name); }

    RegKey base(const Step &step) const
    {
        if (step.via == kStrayHandle)
            return 0x7777;
        if (step.via == 0)
            return backend.root;
        const auto found = handles.find(step.via);
        return found == handles.end() ? kNoKey : found->second;
    }

    std::string keyCall(const Step &step)
    {
        RegKey key = 12345;
        const std::u16string path = expanded(step.path);
        const long status = step.call == Call::CreateKey ? registry.createKey(base(step), path, &key)
                                                         : registry.openKey(base(step), path, &key);
        if (status != kErrorSuccess)
            return statusText(status) + (key == kNoKey ? "" : ", a handle given all the same");
        if (key == kNoKey)
            return "ok, but no handle";
        if (step.keep)
            handles[step.keep] = key;
        else
            registry.closeKey(key);
        return "ok";
    }

    // The step's key: the base itself, or the path below it opened for this step only.
    template <typename Use>
    std::string onKey(const Step &step, Use use)
    {
        if (step.path.empty())
            return use(base(step));
        RegKey key = kNoKey;
        const long status = registry.openKey(base(step), expanded(step.path), &key);
        if (status != kErrorSuccess)
            return "no key (" + statusText(status) + ")";
        const std::string answer = use(key);
        registry.closeKey(key);
        return answer;
    }

    // Bytes past the answered size must be left as they were.
    std::string query(RegKey key, const Step &step)
    {
        std::uint32_t type = 0xdeadbeef;
        const bool withData = step.buffer != kNoData;
        std::vector<std::uint8_t> buffer(withData && step.buffer != kNoSize ? step.buffer + 8 : 8, 0xee);
        std::uint32_t size = step.buffer == kNoData ? 0 : step.buffer;
        const long status = registry.queryValue(key, name(step), &type, withData ? buffer.data() : nullptr,
                                                step.buffer == kNoSize ? nullptr : &size);
        if (status == kErrorMoreData)
            return "more data, size " + std::to_string(size);
        if (status != kErrorSuccess)
            return statusText(status);
        if (!withData)
            return "type " + std::to_string(type) + ", size " + std::to_string(size);
        if (size > step.buffer)
            return "size " + std::to_string(size) + " beyond the buffer";
        // Windows writes a NUL character after a text that ends without one, where the buffer
        // has room; the size it answers leaves it out (Wine's advapi32 does the same, after
        // its tests of Windows: "NT appends a \0").
        const bool text = type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
        for (std::size_t i = size; i < buffer.size(); ++i) {
            const bool terminator = text && i < std::size_t(size) + 2 && buffer[i] == 0 && size % 2 == 0;
            if (buffer[i] != 0xee && !terminator)
                return "type " + std::to_string(type) + ", " + hexOf(buffer.data(), size) + ", byte "
                    + std::to_string(i) + " past the value written";
        }
        return "type " + std::to_string(type) + ", " + hexOf(buffer.data(), size);
    }

    std::string generationStep()
    {
        std::uint64_t now = 0;
        const long status = registry.generation(&now);
        const char *answer = !seenGeneration ? "first" : now == lastGeneration ? "same" : "changed";
        seenGeneration = true;
        lastGeneration = now;
        return status != kErrorSuccess ? statusText(status) : answer;
    }

    std::string keyNames(RegKey key)
    {
        // What the list held before is replaced, not added to.
        std::vector<std::u16string> names{u"stale"};
        const long status = registry.enumKeys(key, &names);
        if (status != kErrorSuccess)
            return statusText(status);
        std::vector<std::string> parts;
        for (const std::u16string &keyName : names)
            parts.push_back(utf8(keyName));
        return joined(parts, true);
    }

    std::string values(RegKey key)
    {
        std::vector<RegValue> found(1);
        const long status = registry.enumValues(key, &found);
        if (status != kErrorSuccess)
            return statusText(status);
        std::vector<std::string> parts;
        for (const RegValue &value : found)
            parts.push_back(utf8(value.name) + "=" + std::to_string(value.type) + ":"
                            + hexOf(value.data.data(), value.data.size()));
        return joined(parts, false);
    }

    const Backend &backend;
    Registry &registry;
    std::map<int, RegKey> handles;
    bool seenGeneration = false;
    std::uint64_t lastGeneration = 0;
};

const char *callName(Call call)
{
    static const char *const names[] = {"CreateKey", "OpenKey", "SetValue", "QueryValue", "DeleteValue",
                                        "DeleteTree", "EnumKeys", "EnumValues", "BeginScope",
                                        "BeginReadScope", "CommitScope", "Generation", "CheckStore"};
    return names[static_cast<int>(call)];
}

std::string shortened(const std::string &text)
{
    return text.size() <= 120 ? text : text.substr(0, 100) + "... (" + std::to_string(text.size()) + " characters)";
}

} // namespace

const std::vector<Case> &registryCases()
{
    static const std::vector<Case> cases = makeCases();
    return cases;
}

std::string runCase(const Case &testCase, const Backend &backend)
{
    Player player(backend);
    for (std::size_t index = 0; index < testCase.steps.size(); ++index) {
        const Step &step = testCase.steps[index];
        if ((step.holds == Holds::WithTransactions && !backend.transactional)
            || (step.holds == Holds::WithoutTransactions && backend.transactional))
            continue;
        const std::string answer = player.play(step);
        if (!player.sameListing(step, answer))
            return "step " + std::to_string(index + 1) + " (" + callName(step.call) + " "
                + shortened(utf8(expanded(step.path + (step.name.empty() ? u"" : u" " + step.name)))) + "): expected "
                + shortened(expanded(step.expect)) + ", got " + shortened(answer);
    }
    return std::string();
}

} // namespace contract
