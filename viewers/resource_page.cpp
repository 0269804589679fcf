#include "viewers/resource_page.h"

#include "platform/picture.h"
#include "viewers/component_stream.h"
#include "viewers/exe_image.h"
#include "viewers/resource_item.h"
#include "viewers/resource_list.h"
#include "viewers/resource_sniff.h"
#include "viewers/resource_type.h"

#include <QByteArray>

#include <cstdio>
#include <exception>
#include <sstream>

namespace ov {

namespace {

std::string hexText(const char* format, uint64_t value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, static_cast<unsigned long long>(value));
    return text;
}

QImage decodePicture(std::span<const uint8_t> bytes, const char* format)
{
    if (std::string(format) == "JPG")
        return decodeJpeg(bytes.data(), bytes.size()).image;
    return QImage::fromData(QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                static_cast<qsizetype>(bytes.size())),
        format);
}

void showMessage(ResourcePage& page, const std::string& text)
{
    page.page = ResourcePageIndex::Message;
    page.message = text;
}

void showImage(ResourcePage& page, QImage image)
{
    if (image.isNull()) {
        showMessage(page, "The picture cannot be decoded.");
        return;
    }
    page.page = ResourcePageIndex::Image;
    page.image = std::move(image);
}

void showHex(ResourcePage& page, TResourceItem& item)
{
    page.page = ResourcePageIndex::Other;
    page.hex = item.RawData();
    page.hexAddress = item.RawOffset();
    page.hexSize = item.Size();
}

// Finds the dialog named `qualifiedName` in a module: the first language of
// that name below type 5.
TResourceItem* findDialog(TExeImage& module, const std::string& qualifiedName)
{
    TResourceList* root = module.Resources();
    if (!root)
        return nullptr;
    for (int i = 0; i < root->Count(); ++i) {
        TResourceItem* type = root->Items(i);
        if (!type->HasIntegerName() || type->NameValue() != rtDialog || !type->IsList())
            continue;
        TResourceList& names = type->List();
        for (int k = 0; k < names.Count(); ++k)
            if (names.Items(k)->QualifiedName() == qualifiedName && !names.Items(k)->IsList())
                return names.Items(k);
    }
    return nullptr;
}

void showDialog(ResourcePage& page, TResourceItem& item, const ModuleLoader& loadModule)
{
    const std::string path = item.Image().FileName();
    std::unique_ptr<TExeImage> module;
    try {
        module = loadModule ? loadModule(path) : std::make_unique<TExeImage>(path);
    } catch (const std::exception&) {
        module.reset();
    }
    if (!module || module->Status() == TExeImage::StatusNotPE) {
        showMessage(page, "Unable to load library: " + path);
        return;
    }
    TResourceItem* dialog = findDialog(*module, item.QualifiedName());
    if (!dialog || !dialog->RawDataComplete()) {
        showMessage(page, "Unable to create this dialog, sorry.");
        return;
    }
    page.isDialog = true;
    page.dialog = createDialog(dialog->RawData());
    showMessage(page, page.dialog.message());
}

void showLeaf(ResourcePage& page, TResourceItem& item, const ModuleLoader& loadModule)
{
    if (!item.RawDataComplete()) {
        showMessage(page, "Resource data lies outside the file.");
        return;
    }
    const uint32_t type = item.ResType();
    switch (type) {
    case rtCursorEntry:
    case rtIconEntry:
    case rtBitmap: {
        ResourcePicture picture;
        item.AssignTo(picture);
        showImage(page, decodePicture(picture.bytes, type == rtBitmap ? "BMP" : "ICO"));
        return;
    }
    case rtMenu:
    case rtString:
        item.AssignTo(page.lines);
        page.page = ResourcePageIndex::Text;
        return;
    case rtDialog:
        showDialog(page, item, loadModule);
        return;
    case rtVersion: {
        const auto info = VersionInfo::parse(item.RawData());
        if (!info) {
            showMessage(page, "The version information cannot be read.");
            return;
        }
        page.page = ResourcePageIndex::Version;
        page.version = versionRows(*info);
        return;
    }
    default:
        break;
    }

    const auto bytes = item.RawData();
    switch (sniffResource(bytes)) {
    case ResourceContent::Bitmap:
        showImage(page, decodePicture(bytes, "BMP"));
        return;
    case ResourceContent::Jpeg:
        showImage(page, decodePicture(bytes, "JPG"));
        return;
    case ResourceContent::Avi:
        if (auto video = AviVideo::open(bytes)) {
            page.page = ResourcePageIndex::Media;
            page.video = std::make_shared<AviVideo>(std::move(*video));
            return;
        }
        break;
    case ResourceContent::ComponentStream:
        if (auto text = ComponentStream::toText(bytes); text && text->error.empty()) {
            std::istringstream in(text->text);
            for (std::string line; std::getline(in, line);)
                page.lines.push_back(line);
            page.page = ResourcePageIndex::Text;
            return;
        }
        break;
    case ResourceContent::Raw:
        break;
    }
    showHex(page, item);
}

} // namespace

std::string ResourceListRow::name() const
{
    return item->Name();
}

std::string ResourceListRow::offset() const
{
    return hexText("%.7llx", item->Offset());
}

std::string ResourceListRow::size() const
{
    return hexText("%.5llx", item->Size());
}

int ResourceListRow::imageIndex() const
{
    return resourceSaveData(item->ResType()).imageIndex;
}

ResourceSaveData resourceSaveData(uint32_t resType)
{
    static const char* const extensions[] = { "Dat", "Cur", "Bmp", "Ico", "Mnu", "Dlg", "Str", "Fnt", "Fnt",
        "Acc", "RCD", "Msg", "Cur", "U13", "Ico", "U15", "Ver" };
    const uint32_t row = resType <= rtVersion ? resType : 0;
    ResourceSaveData data;
    data.extension = extensions[row];
    data.filterIndex = row == 1 ? 4 : row == 2 ? 2 : row == 3 ? 3 : 1;
    data.imageIndex = row == 1 ? riCursorImage : row == 2 ? riBitmap : row == 3 ? riIconImage : riGeneric;
    return data;
}

std::string resourceSaveName(TResourceItem& item)
{
    return item.Name() + "." + resourceSaveData(item.ResType()).extension;
}

ResourcePage chooseResourcePage(
    TResourceItem& item, const ResourceWords& words, const ModuleLoader& loadModule)
{
    ResourcePage page;
    try {
        if (item.IsList()) {
            TResourceList& list = item.List();
            const int count = list.Count();
            page.rows.reserve(static_cast<std::size_t>(count));
            for (int i = 0; i < count; ++i)
                page.rows.push_back(ResourceListRow { list.Items(i) });
            page.page = ResourcePageIndex::List;
            page.caption = " " + item.Name();
            page.status0 = " " + std::to_string(page.rows.size()) + " " + words.objects;
            page.status1 = " " + words.offset + hexText(": %llx", item.Offset());
            return page;
        }
        page.caption = item.Name();
        page.status1 = " " + words.offset + hexText(": %llx  ", item.Offset()) + words.size
            + hexText(": %llx", item.Size());
        page.saveEnabled = true;
        showLeaf(page, item, loadModule);
    } catch (const std::exception& error) {
        page = ResourcePage {};
        page.caption = item.Name();
        page.saveEnabled = !item.IsList();
        showMessage(page, error.what());
    }
    return page;
}

std::string ResourcePage::pageName() const
{
    switch (page) {
    case ResourcePageIndex::List:
        return "list";
    case ResourcePageIndex::Image:
        return "image";
    case ResourcePageIndex::Text:
        return "text";
    case ResourcePageIndex::Other:
        return "other";
    case ResourcePageIndex::Version:
        return "version";
    case ResourcePageIndex::Media:
        return "media";
    case ResourcePageIndex::Message:
        break;
    }
    return isDialog && dialog.dialog ? "dialog" : "message";
}

std::vector<std::string> ResourcePage::detail() const
{
    switch (page) {
    case ResourcePageIndex::List:
        return { std::to_string(rows.size()) + " rows" };
    case ResourcePageIndex::Image:
        return { std::to_string(image.width()) + "x" + std::to_string(image.height()) };
    case ResourcePageIndex::Text:
        return { std::to_string(lines.size()) + " lines" };
    case ResourcePageIndex::Other:
        return { std::to_string(hexSize) + " bytes" };
    case ResourcePageIndex::Version: {
        std::vector<std::string> out { version.label.empty() ? "Lang-charset: " : version.label };
        for (int i = 0; i < VersionRows::kRows; ++i)
            if (i != 8)
                out.push_back(std::string(VersionRows::names()[static_cast<std::size_t>(i)]) + "="
                    + version.values[static_cast<std::size_t>(i)]);
        return out;
    }
    case ResourcePageIndex::Media:
        return { std::to_string(video->Width()) + "x" + std::to_string(video->Height()) + " "
            + std::to_string(video->FrameCount()) + " frames" };
    case ResourcePageIndex::Message:
        break;
    }
    if (isDialog && dialog.dialog)
        return { std::to_string(dialog.dialog->controls.size()) + " controls: " + message };
    return { message };
}

namespace {

// Walks one list depth first; `node.path` grows and shrinks in place, so
// the walk holds one path however many nodes there are.
bool visitNodes(
    TResourceList& list, ResourceNode& node, const std::function<bool(const ResourceNode&)>& visit)
{
    const std::size_t base = node.path.size();
    const int depth = node.depth;
    for (int i = 0; i < list.Count(); ++i) {
        TResourceItem* item = list.Items(i);
        node.path.resize(base);
        if (base > 0)
            node.path += '/';
        node.path += item->Name();
        node.item = item;
        node.depth = depth;
        if (!visit(node))
            return false;
        if (item->IsList()) {
            node.depth = depth + 1;
            if (!visitNodes(item->List(), node, visit))
                return false;
        }
    }
    node.path.resize(base);
    node.depth = depth;
    return true;
}

} // namespace

void forEachResourceNode(TExeImage& image, const std::function<bool(const ResourceNode&)>& visit)
{
    if (TResourceList* root = image.Resources()) {
        ResourceNode node { {}, nullptr, 0 };
        visitNodes(*root, node, visit);
    }
}

std::vector<ResourceNode> resourceNodes(TExeImage& image)
{
    std::vector<ResourceNode> nodes;
    forEachResourceNode(image, [&nodes](const ResourceNode& node) {
        nodes.push_back(node);
        return true;
    });
    return nodes;
}

} // namespace ov
