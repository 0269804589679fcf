// The rules of the create-folder and create-file windows, without a window:
// where a typed name lands, what is made there, and the error text of a
// failure. ovtool mkdir/mkfile run the same calls.
#pragma once

#include <string>

namespace ov {

class TBrowser;

struct MakeFolderOutcome {
    bool made = false;
    // The name held a "\" and was made as a path; the cursor stays.
    bool asPath = false;
    // "Cannot make the Directory" or "Cannot make the folder" on failure.
    std::string error;
};

// Makes one folder (never its parents) for the text typed into the window.
// A text with "\" is a path: "c:\x\y" as given, "\x" from the root of the
// active list's drive, anything else relative to the active list's folder
// (the folder the user sees). Otherwise the folder is made in the list's
// folder on its own disk (an archive disk makes none).
MakeFolderOutcome MakeFolderFromText(TBrowser& active, const std::string& text);

enum class CreateFileOutcome { Nothing, Created, Failed };

inline constexpr const char* CannotCreateFileText = "Cannot create this file!";

// Creates an empty file for the typed name: the list's folder + name, or
// the name itself when its second character is ":". An empty name does
// nothing. An existing name (a dangling link included) is never opened;
// it fails, as does any other refusal and a name in an archive list.
CreateFileOutcome CreateFileFromText(const TBrowser& active, const std::string& name);

// The Windows path the create-file window makes for name in list.
std::string NewFileTarget(const TBrowser& active, const std::string& name);

} // namespace ov
