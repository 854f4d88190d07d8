#pragma once

#include <array>

class CAnimateCtrl;
class CNameEdit;
class QAbstractButton;
class QLabel;
class QListWidget;
class QTextEdit;
class QWidget;

// The controls of the panel that its operations drive. The panel window
// creates them and owns them through Qt parenthood; the operations only hold
// these pointers for the life of the window.
struct CPanelControls {
    QAbstractButton* play = nullptr; // 1001
    QAbstractButton* rec = nullptr; // 1019
    QAbstractButton* pause = nullptr; // 1020
    QAbstractButton* stop = nullptr; // 1021
    QAbstractButton* repeat = nullptr; // 1022
    // The twelve key buttons in the order of the key table's rows.
    std::array<QAbstractButton*, 12> keys{};

    QWidget* closeArea = nullptr; // 1027
    QWidget* dragBar = nullptr; // 1029
    QWidget* toggleLamp = nullptr; // 1030

    CNameEdit* display = nullptr; // 1006
    QListWidget* lineList = nullptr; // 1005
    QListWidget* scriptList = nullptr; // 1004
    QTextEdit* infoText = nullptr; // 1032
    QLabel* statusLine = nullptr; // 1025
    QLabel* lineCounter = nullptr; // 1035

    CAnimateCtrl* modeBanner = nullptr; // 1024
    CAnimateCtrl* activityLight = nullptr; // 1033
    CAnimateCtrl* introReel = nullptr; // 1034
};
