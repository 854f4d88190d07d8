#pragma once

#include <QWidget>

// Plays the catalogue's animation clips. Placeholder until the animation
// control lands: it shows nothing.
class CAnimateCtrl : public QWidget
{
    Q_OBJECT

public:
    explicit CAnimateCtrl(QWidget* parent = nullptr)
        : QWidget(parent)
    {
    }
};
