#pragma once
// A German language pack made by a test: the STRINGTABLE and DIALOG texts it gives, a
// symbol file naming just their ids, zipped by the host's zip.
#include <string>
#include <utility>
#include <vector>

namespace test_pack {

struct Text {
    int id;             // the resource id
    std::string text;   // UTF-8
};
struct DialogText {
    int dialogId;
    int controlId;
    std::string text;
};

// Writes the pack as zipPath (a host path) and makes German the chosen language.
bool Make(const std::wstring& zipPath, const std::vector<Text>& strings, const std::vector<DialogText>& dialogs = {});

}  // namespace test_pack
