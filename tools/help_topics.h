// The help viewer's engine, without a window: the topic tree (groups and
// topics with the file of each), the case-insensitive lookup of a topic's
// file in the help folder, and the split layout of the window as arithmetic.
#pragma once

#include <string>
#include <vector>

namespace ov {

// One row of the topic tree. Top-level topics have an empty group.
struct HelpTopic {
    std::string group;
    std::string title;
    std::string file; // relative to the help folder, "\" between parts
};

// The tree's 27 topics in their order, with their groups.
const std::vector<HelpTopic>& helpTopics();
// The groups in their order ("Files operations", "Utilities", "Games",
// "Configuration").
std::vector<std::string> helpGroups();

// The host path of a topic file below helpFolder (a host folder), each part
// of relativeFile ("FilesOp\copy.rtf", "\" or "/" between parts) matched
// without regard to case when no part of that exact name exists. Empty when
// no such file is there.
std::string findHelpFile(const std::string& helpFolder, const std::string& relativeFile);

// The help folder: programFolder/hlp when it exists, else hlp in the first of
// dataFolders that has one (an installed copy keeps its pages in the shared
// data folder, not in the user's configuration folder), else
// programFolder/hlp all the same.
std::string chooseHelpFolder(const std::string& programFolder, const std::vector<std::string>& dataFolders);

// Where the tree and the text pane go, in client coordinates.
struct HelpRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const HelpRect&) const = default;
};
struct HelpLayout {
    HelpRect tree;
    HelpRect text;
};

// The layout for a client area clientWidth wide, with the title panel's
// bottom at top and the status panel's top at bottom. For this layout only
// the ratio is raised so that the tree gets at least 50 pixels of the width
// and lowered so that the text pane does (the second wins when both cannot
// hold), then kept within 0..1; tree width = width x ratio, rounded, - 3;
// the text pane starts 6 pixels right of the tree and takes the rest. No
// width or height is ever negative.
HelpLayout helpLayout(int clientWidth, int top, int bottom, double ratio);

// The split ratio a drag to x gives in a client area clientWidth wide,
// within 0..1; false (ratio untouched) when the width is 0 or less.
bool helpDragRatio(int x, int clientWidth, double& ratio);

} // namespace ov
