#pragma once
// The process-wide translation of string ids. Texts come from a language pack;
// the program's own English resources are the fallback for everything.
#include "ZipArchive.h"

#include <windows.h>
#include <memory>
#include <string>

class Translator {
public:
    static Translator& Instance();

    // Takes ownership of the source (which may be null: no pack could be opened).
    // True when a translation was loaded; otherwise every text stays English.
    bool Load(ZipArchive* source, bool showWaitCursor);
    // The translated text of a string id, else its resource string, else empty.
    std::wstring GetString(UINT id) const;
    bool IsTranslating() const { return !noTranslation_; }
    LANGID Language() const { return language_; }

private:
    Translator();

    HMODULE module_;
    bool noTranslation_ = true;
    LANGID language_ = 1033;
    std::unique_ptr<ZipArchive> source_;
};
