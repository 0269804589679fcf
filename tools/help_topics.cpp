// The help viewer's topic tree, file lookup and layout; see help_topics.h.
#include "tools/help_topics.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <cmath>

namespace ov {

const std::vector<HelpTopic>& helpTopics()
{
    static const std::vector<HelpTopic> topics = {
        { "", "About Orvanta", "about.rtf" },
        { "", "Orvanta's history", "history.rtf" },
        { "", "License", "license.rtf" },
        { "Files operations", "F3: View file", "FilesOp\\view.rtf" },
        { "Files operations", "F4: Edit file", "FilesOp\\edit.rtf" },
        { "Files operations", "F5: Copy files", "FilesOp\\copy.rtf" },
        { "Files operations", "F6: Move files", "FilesOp\\move.rtf" },
        { "Files operations", "F7: Create the folder", "FilesOp\\mkdir.rtf" },
        { "Files operations", "F8: Delete files", "FilesOp\\delete.rtf" },
        { "Files operations", "Shift+F4: Create new file", "FilesOp\\mkfile.rtf" },
        { "Files operations", "Ctrl+A: File attributes", "FilesOp\\attrib.rtf" },
        { "Utilities", "About system", "Utils\\sysinfo.rtf" },
        { "Utilities", "Internet dialer", "Utils\\dialer.rtf" },
        { "Utilities", "Clipboard viewer", "Utils\\clip.rtf" },
        { "Utilities", "CD-Player", "Utils\\cdplay.rtf" },
        { "Utilities", "Calculator", "Utils\\calc.rtf" },
        { "Utilities", "Change video mode", "Utils\\video.rtf" },
        { "Utilities", "Resource Explorer", "Utils\\resexp.rtf" },
        { "Utilities", "MS-DOS window", "Utils\\ms-dos.rtf" },
        { "Utilities", "Media Player", "Utils\\mplayer.rtf" },
        { "Utilities", "Format floppy drive", "Utils\\formats.rtf" },
        { "Games", "Tetris game", "Games\\tetris.rtf" },
        { "Games", "Life game", "Games\\life.rtf" },
        { "Configuration", "Main", "Config\\main.rtf" },
        { "Configuration", "Set colors", "Config\\colors.rtf" },
        { "Configuration", "Change fonts", "Config\\fonts.rtf" },
        { "Configuration", "Files colors", "Config\\filesc.rtf" },
    };
    return topics;
}

std::vector<std::string> helpGroups()
{
    std::vector<std::string> groups;
    for (const HelpTopic& topic : helpTopics())
        if (!topic.group.empty() && std::find(groups.begin(), groups.end(), topic.group) == groups.end())
            groups.push_back(topic.group);
    return groups;
}

std::string findHelpFile(const std::string& helpFolder, const std::string& relativeFile)
{
    QString current = QString::fromStdString(helpFolder);
    const QStringList parts
        = QString::fromStdString(relativeFile).split(QRegularExpression("[\\\\/]"), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return std::string();
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            return std::string();
        const bool last = i + 1 == parts.size();
        const QDir folder(current);
        QString found;
        if (QFileInfo::exists(folder.filePath(part))) {
            found = part;
        } else {
            // The first name, in byte order, that differs only in case.
            QStringList names = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
            names.sort(Qt::CaseSensitive);
            for (const QString& name : names) {
                if (name.compare(part, Qt::CaseInsensitive) == 0) {
                    found = name;
                    break;
                }
            }
        }
        if (found.isEmpty())
            return std::string();
        current = folder.filePath(found);
        const QFileInfo info(current);
        if (last ? !info.isFile() : !info.isDir())
            return std::string();
    }
    return current.toStdString();
}

std::string chooseHelpFolder(const std::string& programFolder, const std::vector<std::string>& dataFolders)
{
    const std::string own = programFolder + "/hlp";
    if (QFileInfo(QString::fromStdString(own)).isDir())
        return own;
    for (const std::string& folder : dataFolders) {
        const std::string shared = folder + "/hlp";
        if (QFileInfo(QString::fromStdString(shared)).isDir())
            return shared;
    }
    return own;
}

HelpLayout helpLayout(int clientWidth, int top, int bottom, double ratio)
{
    const int width = std::max(clientWidth, 0);
    if (!(ratio >= 0.0))
        ratio = 0.0; // NaN too
    if (width > 0) {
        if (width * ratio < 50.0)
            ratio = 50.0 / width;
        if (width * (1.0 - ratio) < 50.0)
            ratio = 1.0 - 50.0 / width;
    }
    ratio = std::clamp(ratio, 0.0, 1.0);
    const int height = std::max(bottom - top, 0);
    HelpLayout layout;
    const int treeWidth = std::max(int(std::lround(width * ratio)) - 3, 0);
    layout.tree = { 0, top, treeWidth, height };
    const int textX = treeWidth + 6;
    layout.text = { textX, top, std::max(width - textX, 0), height };
    return layout;
}

bool helpDragRatio(int x, int clientWidth, double& ratio)
{
    if (clientWidth <= 0)
        return false;
    ratio = std::clamp(double(x) / clientWidth, 0.0, 1.0);
    return true;
}

} // namespace ov
