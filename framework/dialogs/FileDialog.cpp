#include "FileDialog.h"

#include "tgetfile.h"

namespace {

BOOL Choose(int mode, OPENFILENAMEW* record) {
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

BOOL FileDialog_GetOpenName(OPENFILENAMEW* record) { return Choose(TGETFILE_OPEN, record); }

BOOL FileDialog_GetSaveName(OPENFILENAMEW* record) { return Choose(TGETFILE_SAVE, record); }
