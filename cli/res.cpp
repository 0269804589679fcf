// ovtool res FILE [PATH]: prints the resource tree of an executable, or with
// PATH writes one resource to standard output as it is saved to a file.
//
// The tree shows one line per item, indented two blanks per level: lists as
// "name (N)", leaves as "name  lang=L[+M] size=S rva=0xR", then, for string
// tables and menus, their text lines indented below. PATH names the items
// from the root by Name or QualifiedName, joined by "/" ("Bitmap/8",
// "Icon/1/32 X 32 256 Colors").
//
// ovtool res --pages FILE prints one line per node of the resource
// explorer's tree, in tree order: PATH, the page the explorer shows for it
// and a summary, separated by tabs ("Bitmap/8<TAB>image<TAB>16x16"). A
// version page adds one line per row below its own, "<TAB><TAB>NAME=VALUE".
#include "platform/host_file.h"
#include "viewers/exe_error.h"
#include "viewers/exe_image.h"
#include "viewers/resource_item.h"
#include "viewers/resource_list.h"
#include "viewers/resource_page.h"
#include "viewers/resource_type.h"

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace ov;

void printItem(TResourceItem& item, int depth)
{
    const std::string indent(2 * static_cast<std::size_t>(depth), ' ');
    if (item.IsList()) {
        TResourceList& list = item.List();
        std::printf("%s%s (%d)\n", indent.c_str(), item.Name().c_str(), list.Count());
        for (int i = 0; i < list.Count(); ++i)
            printItem(*list.Items(i), depth + 1);
        return;
    }
    std::string language = std::to_string(item.Language());
    if (item.LanguageCount() > 1)
        language += "+" + std::to_string(item.LanguageCount() - 1);
    std::printf("%s%s  lang=%s size=%u rva=0x%X%s\n", indent.c_str(), item.Name().c_str(), language.c_str(),
        item.Size(), item.Offset(), item.RawDataComplete() ? "" : " (outside the file)");
    if (item.ResType() != rtString && item.ResType() != rtMenu)
        return;
    std::vector<std::string> lines;
    item.AssignTo(lines);
    for (const auto& line : lines)
        std::printf("%s    %s\n", indent.c_str(), line.c_str());
}

std::vector<std::string> splitPath(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(path);
    while (std::getline(in, part, '/'))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

TResourceItem* findItem(TResourceList& root, const std::vector<std::string>& parts)
{
    TResourceList* list = &root;
    TResourceItem* found = nullptr;
    for (const auto& part : parts) {
        if (!list)
            return nullptr;
        found = nullptr;
        for (int i = 0; i < list->Count() && !found; ++i) {
            TResourceItem* item = list->Items(i);
            if (item->Name() == part || item->QualifiedName() == part)
                found = item;
        }
        if (!found)
            return nullptr;
        list = found->IsList() ? &found->List() : nullptr;
    }
    return found;
}

int printPages(const char* fileName)
{
    TExeImage image(fileName);
    image.Resources();
    if (image.Status() == TExeImage::StatusNotPE) {
        std::printf("\tmessage\tNot a PE file.\n");
        return 0;
    }
    if (image.Status() == TExeImage::StatusNoResources) {
        std::printf("\tmessage\tNo resources.\n");
        return 0;
    }
    forEachResourceNode(image, [](const ResourceNode& node) {
        const ResourcePage page = chooseResourcePage(*node.item);
        const std::vector<std::string> detail = page.detail();
        std::printf("%s\t%s\t%s\n", node.path.c_str(), page.pageName().c_str(), detail.front().c_str());
        for (std::size_t i = 1; i < detail.size(); ++i)
            std::printf("\t\t%s\n", detail[i].c_str());
        return true;
    });
    return 0;
}

} // namespace

int ovtoolRes(int argc, char** argv)
{
    const bool pages = argc == 3 && std::string(argv[1]) == "--pages";
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: ovtool res FILE [PATH] | res --pages FILE\n");
        return 2;
    }
    if (pages) {
        ++argv;
        --argc;
    }
    // Said plainly here; the reader itself refuses such a file with the
    // mapping error, at once.
    if (isSpecialHostFile(argv[1])) {
        std::fprintf(stderr, "ovtool res: %s: not a regular file\n", argv[1]);
        return 1;
    }
    try {
        if (pages)
            return printPages(argv[1]);
        TExeImage image(argv[1]);
        TResourceList* root = image.Resources();
        if (image.Status() == TExeImage::StatusNotPE) {
            std::fprintf(stderr, "ovtool res: %s: Not a PE file.\n", argv[1]);
            return 1;
        }
        if (argc == 2) {
            std::printf("%s: %s\n", argv[1], !root ? "No resources." : image.IsPE32Plus() ? "PE32+" : "PE32");
            if (root)
                for (int i = 0; i < root->Count(); ++i)
                    printItem(*root->Items(i), 0);
            return 0;
        }
        TResourceItem* item = root ? findItem(*root, splitPath(argv[2])) : nullptr;
        if (!item) {
            std::fprintf(stderr, "ovtool res: %s: no resource %s\n", argv[1], argv[2]);
            return 1;
        }
        if (item->IsList()) {
            std::fprintf(stderr, "ovtool res: %s is a list, not a resource\n", argv[2]);
            return 1;
        }
        std::ostringstream bytes;
        item->SaveToStream(bytes);
        const std::string out = std::move(bytes).str();
        if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "ovtool res: write error\n");
            return 1;
        }
        return 0;
    } catch (const EExeError& error) {
        std::fprintf(stderr, "ovtool res: %s\n", error.what());
        return 1;
    }
}
