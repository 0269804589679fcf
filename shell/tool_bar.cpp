#include "shell/tool_bar.h"

#include <QIcon>
#include <QPixmap>
#include <QPushButton>

// The compiled-in resources of a static library are registered by hand.
static void registerBarPictures()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(pictures);
        return true;
    }();
    (void)registered;
}

namespace ov {

QImage barPicture(const std::string& name)
{
    registerBarPictures();
    if (name.empty())
        return QImage();
    return QImage(QStringLiteral(":/pictures/") + QString::fromStdString(name), "PNG");
}

QImage drivePicture(const std::string& kind)
{
    if (kind == "floppy")
        return barPicture("B_FLOPPY");
    if (kind == "hdd")
        return barPicture("B_HDD");
    if (kind == "cdrom")
        return barPicture("B_CDROM");
    if (kind == "network")
        return barPicture("B_NETWork");
    return QImage();
}

std::string toolBarPictureName(int index)
{
    static const char* const names[8] = { "TB_HELP", "TB_EXTEDITOR", "TB_SYSINFO", "TB_INTERNET",
        "TB_CLIPBOARD", "TB_CDPLAYER", "TB_CALCULATOR", "TB_RESEXPLORER" };
    return index >= 0 && index < 8 ? names[index] : "";
}

void setToolBarPictures(QPushButton* const (&buttons)[8])
{
    for (int i = 0; i < 8; ++i) {
        if (!buttons[i])
            continue;
        buttons[i]->setIcon(QIcon(QPixmap::fromImage(barPicture(toolBarPictureName(i)))));
        buttons[i]->setIconSize(QSize(BarPictureSize, BarPictureSize));
    }
}

} // namespace ov
