#pragma once

#include "marrowset/PictureHolder.h"

#include <QWidget>
#include <array>
#include <cstdint>

class QAction;
class QMenu;

namespace marrowset {

class Module1;

// The menu holder, never shown: the pop-up menu of every operation on the
// host's image, and the picture holder the command line's capture uses.
// Each item is a QAction whose objectName is its control name and whose text
// is its caption; a submenu's action carries the submenu's name. The ten
// combine items form the control array CombineModes, each action's "Index"
// property 1 to 10.
class Form2 : public QWidget {
    Q_OBJECT

public:
    explicit Form2(Module1& module);

    // The menu commands; a failure ends the program, except a grey level out
    // of range, which ends only its command with a message.
    void Overlay_Click();
    void RI_Center_Click();
    void RI_Scale_Click();
    // Index 1 to 10: the combine mode Index - 1.
    void CombineModes_Click(int16_t Index);

    QMenu* Menu = nullptr;
    QAction* Overlay = nullptr;
    QAction* RI_Center = nullptr;
    QAction* RI_Scale = nullptr;
    QMenu* Add = nullptr;
    std::array<QAction*, 10> CombineModes{};
    QAction* ReplaceAlpha = nullptr;
    QAction* UseAsAlpha = nullptr;
    QAction* Replacebuffer = nullptr;
    QMenu* RGBchannels = nullptr;
    QAction* Addred = nullptr;
    QAction* Addgreen = nullptr;
    QAction* Addblue = nullptr;
    QAction* UseRed = nullptr;
    QAction* UseGreen = nullptr;
    QAction* UseBlue = nullptr;
    QMenu* HSVChannels = nullptr;
    QAction* UseHue = nullptr;
    QAction* UseSat = nullptr;
    QAction* UseValue = nullptr;
    QMenu* YUVChannels = nullptr;
    QAction* Usey = nullptr;
    QAction* UseU = nullptr;
    QAction* UseV = nullptr;

    PictureHolder Picture1;

private:
    void createMenu();
    void connectCommands();

    Module1& module_;
};

} // namespace marrowset
