#pragma once
// The remembered file paths of the settings window's file commands (the parameter file's
// ParamFilePath, the listing's TextFilePath): what the file dialog proposes, what is remembered
// of the user's choice, and when a choice names a folder rather than a file.
//
// A remembered path names a folder when it ends with a folder separator. Paths carried over from
// Windows end folders with '\', paths of this system with '/': both count.
//
// Defaults. Where the program on Windows falls back to "C:\a.Dec", "C:\" or "C:\a.txt", this
// program uses the user's home folder ("$HOME/a.Dec", "$HOME/", "$HOME/a.txt"): the home folder
// always exists and is writable, the root folder usually is not. For the same reason a
// remembered Windows drive path ("D:\scanners\line1.Dec") that does not exist here is moved into
// the home folder, keeping its file name ("$HOME/line1.Dec"; a folder becomes "$HOME/").

#include <filesystem>
#include <string>

namespace qsp {

// What a file command proposes and remembers; one per kind of file.
struct RememberedPathRules {
    std::string fileName;     // the proposed name inside a remembered folder: "a.Dec"
    std::string wildcard;     // a chosen name ending in this means its folder: "*.Dec"
    std::size_t minimumSize;  // a remembered path shorter than this is replaced...
    bool defaultIsFolder;     // ...by the home folder (true) or the file fileName in it
};

// Parameter file, Save: shorter than 5 characters becomes "$HOME/a.Dec".
RememberedPathRules ParamFileSaveRules();
// Parameter file, Open: shorter than 3 characters becomes "$HOME/".
RememberedPathRules ParamFileOpenRules();
// Listing text file: shorter than 5 characters becomes "$HOME/a.txt"; "*.txt" means a folder.
RememberedPathRules ListingFileRules();

// Whether the path ends with '/' or '\'.
bool NamesFolder(const std::string& path);

// The user's home folder ($HOME), or the current folder when HOME is unset.
std::filesystem::path HomeFolder();

// Makes `remembered` usable: applies the default when it is too short and moves a missing
// Windows drive path into `home`. Returns the adjusted remembered path.
std::string UsableRememberedPath(const std::string& remembered, const RememberedPathRules& rules,
                                 const std::filesystem::path& home);

// The name the save dialog proposes for an (adjusted) remembered path: the remembered folder
// followed by the rules' file name, or the remembered file itself.
std::string SaveDialogName(const std::string& remembered, const RememberedPathRules& rules);

// The name the open dialog proposes: the remembered file, or the remembered folder followed by
// the wildcard.
std::string OpenDialogName(const std::string& remembered, const RememberedPathRules& rules);

// What is remembered of the name a dialog returned: a name ending in the wildcard (exactly,
// case-sensitive) leaves its folder, with the separator; any other name is remembered as it is.
// When the result names a folder, nothing is written or read.
std::string RememberDialogChoice(const std::string& chosen, const RememberedPathRules& rules);

}  // namespace qsp
