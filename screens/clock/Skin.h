#pragma once
// A clock skin: a zip archive of pictures (the built-in one from the program's
// resources, others from the "Skins" folder) read through the skin entry table.
// The pictures of the face and the hands carry their colour in the left half and their
// alpha mask in the right half. GUI thread only.
#include <string>

#include "ImageRef.h"

struct ZipHandle;

class Skin {
public:
    // Entries of the skin archive, by index.
    enum Entry : int {
        kGuidEntry = 0,
        kBackground = 1,
        kFace = 2,
        kSecondHand = 3,
        kMinuteHand = 4,
        kHourHand = 5,
        kLandscapeBackground = 6,
        kEntryCount = 7,
    };
    // The identity text: a braced GUID of exactly this many bytes.
    static constexpr unsigned kGuidLength = 38;
    // The built-in skin's identity.
    static constexpr char kBuiltInGuid[] = "{8C18D169-BB4F-3bf2-A0AD-A08C627E7102}";

    Skin(const Skin&) = delete;
    Skin& operator=(const Skin&) = delete;
    // Closes the archive.
    virtual ~Skin();

    const std::wstring& GetName() const { return name_; }
    // The 38-character GUID text, or null when the archive has no valid "guid.txt".
    const char* GetGuid();
    // The picture of entry index (1..6) decoded at its own size; empty when the entry
    // is missing or its buffer cannot be read (a picture that does not decode gives an
    // empty image).
    ImageRef LoadImage(int index);
    bool HasArchive() const { return zip_ != nullptr; }

    ImageRef GetBackground() { return LoadImage(kBackground); }
    ImageRef GetFace() { return LoadImage(kFace); }
    ImageRef GetSecondHand() { return LoadImage(kSecondHand); }
    ImageRef GetMinuteHand() { return LoadImage(kMinuteHand); }
    ImageRef GetHourHand() { return LoadImage(kHourHand); }
    ImageRef GetLandscapeBackground() { return LoadImage(kLandscapeBackground); }

    // The entry's name in the archive ("guid.txt", "bg.png", ...).
    static const wchar_t* EntryName(int index);

protected:
    // Takes the archive (null: none) and the name.
    Skin(ZipHandle* zip, std::wstring name);

private:
    // The entry's uncompressed bytes; false when missing or unreadable.
    bool ReadEntry(int index, std::string& bytes);

    ZipHandle* zip_;
    std::wstring name_;
    std::string guid_;  // empty until read
};
