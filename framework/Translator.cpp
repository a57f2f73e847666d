#include "Translator.h"

namespace {
const wchar_t kTranslationMember[] = L"translation.xml";
const LANGID kEnglish = 1033;
}

Translator& Translator::Instance() {
    static Translator instance;
    return instance;
}

Translator::Translator() : module_(GetModuleHandleW(nullptr)) {}

bool Translator::Load(ZipArchive* source, bool showWaitCursor) {
    if (source != source_.get()) source_.reset(source);
    HCURSOR previous = showWaitCursor ? SetCursor(LoadCursorW(nullptr, IDC_WAIT)) : nullptr;

    // Without an archive object there is nothing to read or close: keep the built-in texts.
    bool loaded = false;
    if (source_) {
        ZipEntryData xml = source_->ReadEntry(kTranslationMember);
        // Language packs are not parsed yet; a pack without its texts reads the same way.
        (void)xml;
        source_->Close();
    }
    noTranslation_ = !loaded;
    language_ = kEnglish;

    if (showWaitCursor) SetCursor(previous);
    return loaded;
}

std::wstring Translator::GetString(UINT id) const {
    const wchar_t* text = nullptr;
    int length = LoadStringW(module_, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return std::wstring();
    return std::wstring(text, length);
}
