#include "TestPack.h"

#include "TestSupport.h"

namespace test_pack {

namespace {

std::string Symbol(int id) { return "ID_" + std::to_string(id); }

std::string Quoted(const std::wstring& path) { return "'" + testsupport::UnixPath(path) + "'"; }

}  // namespace

bool Make(const std::wstring& zipPath, const std::vector<Text>& strings, const std::vector<DialogText>& dialogs) {
    std::string xml = "<rclanguages><rcoutput lang=\"0407\"/></rclanguages><rcsection name=\"STRINGTABLE\">";
    std::string symbols;
    auto item = [](int id, const std::string& text) {
        return "<rcitem id=\"" + Symbol(id) + "\"><rcstring lang=\"DEU\">" + text + "</rcstring></rcitem>";
    };
    for (const Text& s : strings) {
        xml += item(s.id, s.text);
        symbols += "#define " + Symbol(s.id) + " " + std::to_string(s.id) + "\n";
    }
    xml += "</rcsection><rcsection name=\"DIALOG\">";
    for (const DialogText& d : dialogs) {
        xml += "<rcitem id=\"" + Symbol(d.dialogId) + "\">" + item(d.controlId, d.text) + "</rcitem>";
        symbols += "#define " + Symbol(d.dialogId) + " " + std::to_string(d.dialogId) + "\n#define " +
                   Symbol(d.controlId) + " " + std::to_string(d.controlId) + "\n";
    }
    xml += "</rcsection>";
    // zip takes the members' names from their files: both go into a folder of their own.
    const std::wstring parts = zipPath + L".parts";
    CreateDirectoryW(parts.c_str(), nullptr);
    const std::wstring xmlPath = parts + L"\\translation.xml", symbolPath = parts + L"\\resource.h";
    DeleteFileW(zipPath.c_str());
    const bool made = testsupport::WriteBytes(xmlPath, xml) && testsupport::WriteBytes(symbolPath, symbols) &&
                      testsupport::RunHostTool("zip", "-j -q " + Quoted(zipPath) + " " + Quoted(xmlPath) + " " +
                                                          Quoted(symbolPath));
    testsupport::DeleteTree(parts);
    return made && testsupport::WriteRegistryDword(HKEY_CURRENT_USER, L"Software\\Ostrel\\Orvalen\\Clock\\Language",
                                                   L"LangID", 1031);
}

}  // namespace test_pack
