// The pictures of the bars above the panels, from the program's resources:
// one per drive kind ("B_FLOPPY", "B_HDD", "B_CDROM", "B_NETWork") and one
// per tool-bar button, all 16 x 16 with a transparent background.
#pragma once

#include <QImage>

#include <string>

class QPushButton;

namespace ov {

constexpr int BarPictureSize = 16;

// The picture of a resource name; a null image when there is none.
QImage barPicture(const std::string& name);
// The picture of a drive kind ("floppy", "hdd", "network", "cdrom").
QImage drivePicture(const std::string& kind);
// The resource name of the tool bar's button at index 0..7 (Help, External
// editor, SysInfo, Internet, Clipboard, CD-Player, Calculator, Resource
// Explorer); "" past the end.
std::string toolBarPictureName(int index);
// Shows the pictures on the eight tool-bar buttons, in that order.
void setToolBarPictures(QPushButton* const (&buttons)[8]);

} // namespace ov
