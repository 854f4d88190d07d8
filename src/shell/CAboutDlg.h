#pragma once

#include <QDialog>

// The About box: the program's icon, its name and version, a credit line
// and OK. Modal; OK and Escape close it.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
