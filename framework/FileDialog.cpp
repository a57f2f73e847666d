#include "FileDialog.h"

#include "tgetfile.h"

namespace {

// The device's chooser in the given mode when it has one, else the system's dialog.
BOOL AskFileName(int mode, OPENFILENAMEW* record) {
    if (HMODULE library = LoadLibraryW(TGETFILE_LIBRARY)) {
        auto chooser = reinterpret_cast<TGetFileFunction>(
            reinterpret_cast<void*>(GetProcAddress(library, TGETFILE_EXPORT)));
        if (chooser) {
            const BOOL result = chooser(mode, record);
            FreeLibrary(library);
            return result;
        }
        FreeLibrary(library);
    }
    return mode == TGETFILE_SAVE ? GetSaveFileNameW(record) : GetOpenFileNameW(record);
}

}  // namespace

BOOL FileDialog_GetOpenName(OPENFILENAMEW* record) { return AskFileName(TGETFILE_OPEN, record); }

BOOL FileDialog_GetSaveName(OPENFILENAMEW* record) { return AskFileName(TGETFILE_SAVE, record); }
