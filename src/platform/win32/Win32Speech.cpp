#include "Win32Speech.h"

#include <windows.h>

// SAPI's class and interface ids are defined here: the import libraries do not carry them.
#include <initguid.h>
#include <sapi.h>

#include <string>

namespace platform {

namespace {

// "pt-BR" -> 0x0416; a bare "de" -> the language's main region (de-DE, 0x0407), since
// voices are registered under specific languages. 0 when Windows does not know the tag.
LANGID languageIdOf(const std::string &language)
{
    if (language.empty() || language.size() > LOCALE_NAME_MAX_LENGTH - 1)
        return 0;
    const std::wstring tag(language.begin(), language.end());
    wchar_t resolved[LOCALE_NAME_MAX_LENGTH] = {};
    if (ResolveLocaleName(tag.c_str(), resolved, LOCALE_NAME_MAX_LENGTH) <= 0)
        return 0;
    return LANGIDFROMLCID(LocaleNameToLCID(resolved, 0));
}

// SAPI's attribute text for a language: its id in hexadecimal without a prefix ("416").
std::wstring languageAttribute(LANGID id)
{
    wchar_t text[32] = {};
    wsprintfW(text, L"Language=%x", unsigned(id));
    return text;
}

// The first installed voice that speaks `id`, or nothing.
ISpObjectToken *voiceFor(LANGID id)
{
    ISpObjectTokenCategory *category = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL, IID_ISpObjectTokenCategory,
                                reinterpret_cast<void **>(&category))))
        return nullptr;
    ISpObjectToken *token = nullptr;
    IEnumSpObjectTokens *tokens = nullptr;
    const std::wstring wanted = languageAttribute(id);
    if (SUCCEEDED(category->SetId(SPCAT_VOICES, FALSE))
        && SUCCEEDED(category->EnumTokens(wanted.c_str(), nullptr, &tokens)) && tokens) {
        if (tokens->Next(1, &token, nullptr) != S_OK)
            token = nullptr;
        tokens->Release();
    }
    category->Release();
    return token;
}

} // namespace

Win32Speech::~Win32Speech()
{
    if (voice) {
        voice->Speak(L"", SPF_ASYNC | SPF_PURGEBEFORESPEAK, nullptr);
        voice->Release();
    }
    if (comStarted)
        CoUninitialize();
}

bool Win32Speech::ensureVoice()
{
    if (voice)
        return true;
    if (unavailable)
        return false;
    // S_FALSE: COM was already started on this thread (by Qt, say); it is counted all the same.
    const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    comStarted = SUCCEEDED(started);
    if (FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, reinterpret_cast<void **>(&voice)))) {
        voice = nullptr;
        unavailable = true;
    }
    return voice != nullptr;
}

void Win32Speech::chooseVoice(const std::string &language)
{
    if (language == chosenLanguage)
        return;
    chosenLanguage = language;
    const LANGID id = languageIdOf(language);
    if (id == 0)
        return;
    if (ISpObjectToken *token = voiceFor(id)) {
        voice->SetVoice(token);
        token->Release();
    }
}

bool Win32Speech::say(const std::u16string &text, const std::string &language)
{
    if (!ensureVoice())
        return false;
    chooseVoice(language);
    // Plain text: a name such as "<Games>" must be read, not taken for SAPI's XML.
    const std::wstring words(text.begin(), text.end());
    return SUCCEEDED(voice->Speak(words.c_str(), SPF_ASYNC | SPF_PURGEBEFORESPEAK | SPF_IS_NOT_XML, nullptr));
}

void Win32Speech::stop()
{
    if (voice)
        voice->Speak(L"", SPF_ASYNC | SPF_PURGEBEFORESPEAK, nullptr);
}

} // namespace platform
