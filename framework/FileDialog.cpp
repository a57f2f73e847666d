#include "FileDialog.h"

#include "tgetfile.h"

BOOL FileDialog_GetOpenName(OPENFILENAMEW* record) {
    if (HMODULE library = LoadLibraryW(TGETFILE_LIBRARY)) {
        auto chooser = reinterpret_cast<TGetFileFunction>(
            reinterpret_cast<void*>(GetProcAddress(library, TGETFILE_EXPORT)));
        if (chooser) {
            const BOOL result = chooser(TGETFILE_OPEN, record);
            FreeLibrary(library);
            return result;
        }
        FreeLibrary(library);
    }
    return GetOpenFileNameW(record);
}
