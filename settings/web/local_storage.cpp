// The settings in a browser: the same JSON text as on a desktop, under one key of the page's
// localStorage (kept per site by the browser). Replacing a key's value is whole by nature. A
// browser that refuses the storage (turned off, a private window that allows none, a full
// quota) throws; its message becomes the reason of the report.
#include "settings/settings_store.h"

#include <emscripten/emscripten.h>

#include <memory>
#include <string>

namespace {

constexpr const char* kKey = "zorbel.settings";
constexpr const char* kAsideKey = "zorbel.settings.damaged";
constexpr int kReasonBytes = 256;

// clang-format off
// The stored text's length in UTF-8 bytes; -1 when there is none, -2 when the storage
// cannot be read (with the browser's reason in reason).
EM_JS(int, zorbelStoredLength, (const char* key, char* reason, int reasonBytes), {
    try {
        var text = window.localStorage.getItem(UTF8ToString(key));
        return text === null ? -1 : lengthBytesUTF8(text);
    } catch (e) {
        stringToUTF8(String(e && e.message || e), reason, reasonBytes);
        return -2;
    }
});

// Copies the stored text into buffer (bytes long, room for the closing zero included);
// 0 when it could not.
EM_JS(int, zorbelStoredText, (const char* key, char* buffer, int bytes), {
    try {
        var text = window.localStorage.getItem(UTF8ToString(key));
        if (text === null) return 0;
        stringToUTF8(text, buffer, bytes);
        return 1;
    } catch (e) {
        return 0;
    }
});

// Stores text under key (or, when text is null, the value of the key from: 2 when that has
// none); 0 with the browser's reason when it refuses.
EM_JS(int, zorbelStore, (const char* key, const char* text, const char* from, char* reason,
                         int reasonBytes), {
    try {
        var storage = window.localStorage;
        var value = text ? UTF8ToString(text) : storage.getItem(UTF8ToString(from));
        if (value === null) return 2;
        storage.setItem(UTF8ToString(key), value);
        return 1;
    } catch (e) {
        stringToUTF8(String(e && e.message || e), reason, reasonBytes);
        return 0;
    }
});
// clang-format on

class LocalStorageSettings final : public SettingsStore {
public:
    std::string name() const override { return std::string("localStorage[") + kKey + "]"; }
    std::string asideName() const override
    {
        return std::string("localStorage[") + kAsideKey + "]";
    }

    Found read(std::string& text, std::string& problem) override
    {
        text.clear();
        char reason[kReasonBytes] = {};
        const int length = zorbelStoredLength(kKey, reason, kReasonBytes);
        if (length == -1)
            return Found::Nothing;
        if (length < 0) {
            problem = std::string("the browser does not let the page read it: ") + reason;
            return Found::Unreadable;
        }
        text.assign(static_cast<size_t>(length) + 1, '\0');
        if (zorbelStoredText(kKey, text.data(), length + 1) == 0) {
            text.clear();
            problem = "the browser does not let the page read it";
            return Found::Unreadable;
        }
        text.resize(static_cast<size_t>(length));
        return Found::Record;
    }

    bool write(std::string_view text, std::string& problem) override
    {
        const std::string value(text);
        char reason[kReasonBytes] = {};
        if (zorbelStore(kKey, value.c_str(), nullptr, reason, kReasonBytes) != 0)
            return true;
        problem = std::string("the browser refused to store them: ") + reason;
        return false;
    }

    bool keepAside(bool& moved, std::string& problem) override
    {
        char reason[kReasonBytes] = {};
        const int stored = zorbelStore(kAsideKey, nullptr, kKey, reason, kReasonBytes);
        moved = stored == 1;
        if (stored == 0)
            problem = std::string("the browser refused to store them: ") + reason;
        return stored != 0;
    }
};

} // namespace

std::unique_ptr<SettingsStore> openPlatformSettingsStore(std::string&)
{
    return std::make_unique<LocalStorageSettings>();
}
